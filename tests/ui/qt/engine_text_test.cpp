// Tests of the decoding of the operations' Windows-1252 texts for the panel.
#include "ui/qt/engine_text.h"

#include <QtTest>

using namespace brimsel::qt;

class EngineTextTest : public QObject {
  Q_OBJECT

 private slots:
  void decodeAndEncode();
};

// A path comes in the file-name encoding, UTF-8 here; the rest stays Windows-1252. Every byte
// comes back; a character Windows-1252 lacks becomes '?'.
void EngineTextTest::decodeAndEncode() {
  const std::pair<QByteArray, QString> cases[] = {
      {"ajout \xC9POUSE, pr\xE9noms", QStringLiteral("ajout ÉPOUSE, prénoms")},
      {"\x80\x9C\x8C\x92\x9F", QStringLiteral("€œŒ’Ÿ")},
      {"\x81", QString(QChar(0x81))},
      {"/tmp/g\xC3\xA9n\xC3\xA9" "alogie/f.ged", QStringLiteral("/tmp/généalogie/f.ged")},
      {"g\xC3\xA9n", QStringLiteral("gÃ©n")},  // not a path
  };
  for (const auto& [bytes, text] : cases) QCOMPARE(DecodeEngineText(bytes.constData()), text);
  QCOMPARE(DecodeEngineText(nullptr), QString());
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  QCOMPARE(EncodeCp1252(DecodeCp1252(all.c_str())), all);
  QCOMPARE(EncodeCp1252(QStringLiteral("a\u4e2db")), std::string("a?b"));
}

QTEST_MAIN(EngineTextTest)
#include "engine_text_test.moc"
