// Finds a record by the number of its cross-reference, once pass 2 has filled the records.
#pragma once

#include <utility>

#include "engine/model.h"

namespace brimsel {

// The individuals and unions of a model by the numbers of their cross-references. Everything it
// learns about the numbers is learnt when it is built, once the records hold their numbers (after
// pass 2), for the counts of individuals and unions the model then has; afterwards it only reads
// the model, so that any number of threads may look records up at once. The numbers must not
// change, nor the arrays move, while it is used: the resolution changes the links, not the numbers.
class RecordLookup {
 public:
  explicit RecordLookup(const GedcomModel& model);
  RecordLookup(const RecordLookup&) = delete;
  RecordLookup& operator=(const RecordLookup&) = delete;

  // Index of the individual (union) carrying `code`, or -1. What a binary search over the
  // file-ordered records finds; when it misses, the first record in file order with that number.
  int IndividualIndex(int code) const;
  int UnionIndex(int code) const;

 private:
  // What is known about the numbers of the records of one kind. When no two records share a
  // number, the search can only find the one record that has it, so a number is read off a table
  // (dense numbers) or found in the sorted pairs; otherwise the search runs as it is, and the
  // sorted (code, index) pairs give the first record in file order when it misses.
  struct Index {
    int count = 0;           // records looked up: the model's count, at most the array's size
    bool ascending = false;  // strictly ascending numbers: unique, and sorted as they stand
    bool unique = false;
    int smallest = 0;       // smallest number, for `direct`
    HugeArray<int> direct;  // index by number - smallest, -1 where none (dense numbers)
    HugeArray<std::pair<int, int>> sorted;
  };
  template <class Record>
  static Index Build(const HugeArray<Record>& records, int count);
  template <class Record>
  static int Find(const HugeArray<Record>& records, const Index& index, int code);

  const GedcomModel& model_;
  const Index individuals_;
  const Index unions_;
};

}  // namespace brimsel
