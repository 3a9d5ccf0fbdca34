# Tests of the text utilities.
