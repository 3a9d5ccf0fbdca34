# Tests of the table export.
