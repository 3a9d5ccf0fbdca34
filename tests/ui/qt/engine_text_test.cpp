// Tests of the decoding of the operations' Windows-1252 texts for the panel.
#include "ui/qt/engine_text.h"

#include <QtTest>

using namespace brimsel::qt;

class EngineTextTest : public QObject {
  Q_OBJECT

 private slots:
  void decode_data();
  void decode();
  void encode();
};

void EngineTextTest::decode_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("text");
  QTest::newRow("ASCII") << QByteArray("Passe 1") << QStringLiteral("Passe 1");
  QTest::newRow("accents") << QByteArray("ajout \xC9POUSE, pr\xE9noms")
                           << QStringLiteral("ajout ÉPOUSE, prénoms");
  QTest::newRow("euro, oe, quote, Y diaeresis") << QByteArray("\x80\x9C\x8C\x92\x9F") << QStringLiteral("€œŒ’Ÿ");
  QTest::newRow("undefined 0x81") << QByteArray("\x81") << QString(QChar(0x81));
  // A path comes in the file-name encoding, UTF-8 here; the rest stays Windows-1252.
  QTest::newRow("absolute path") << QByteArray(
                                        "/tmp/g\xC3\xA9n\xC3\xA9"
                                        "alogie/f.ged")
                                 << QStringLiteral("/tmp/généalogie/f.ged");
  QTest::newRow("not a path") << QByteArray("g\xC3\xA9n") << QStringLiteral("gÃ©n");
}

void EngineTextTest::decode() {
  QFETCH(QByteArray, bytes);
  QFETCH(QString, text);
  QCOMPARE(DecodeEngineText(bytes.constData()), text);
  QCOMPARE(DecodeEngineText(nullptr), QString());
}

// Every byte comes back; a character Windows-1252 lacks becomes '?'.
void EngineTextTest::encode() {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  QCOMPARE(EncodeCp1252(DecodeCp1252(all.c_str())), all);
  QCOMPARE(EncodeCp1252(QStringLiteral("a\u4e2db")), std::string("a?b"));
}

QTEST_MAIN(EngineTextTest)
#include "engine_text_test.moc"
