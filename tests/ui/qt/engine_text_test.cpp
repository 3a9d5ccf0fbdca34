// Tests of the decoding of the operations' Windows-1252 texts for the panel.
#include "ui/qt/engine_text.h"

#include <QtTest>

using namespace brimsel::qt;

class EngineTextTest : public QObject {
  Q_OBJECT

 private slots:
  void decode_data();
  void decode();
  void encodeRoundTrip();
  void encodeUnknownCharacter();
};

void EngineTextTest::decode_data() {
  QTest::addColumn<QByteArray>("bytes");
  QTest::addColumn<QString>("text");
  QTest::newRow("ASCII") << QByteArray("Passe 1") << QStringLiteral("Passe 1");
  QTest::newRow("accents") << QByteArray("ajout \xC9POUSE, pr\xE9noms")
                           << QStringLiteral("ajout ÉPOUSE, prénoms");
  QTest::newRow("euro 0x80") << QByteArray("\x80") << QStringLiteral("€");
  QTest::newRow("oe 0x9C 0x8C") << QByteArray("\x9C\x8C") << QStringLiteral("œŒ");
  QTest::newRow("quote 0x92") << QByteArray(
                                     "l\x92"
                                     "abb\xE9")
                              << QStringLiteral("l’abbé");
  QTest::newRow("Y diaeresis 0x9F") << QByteArray("\x9F") << QStringLiteral("Ÿ");
  QTest::newRow("undefined 0x81") << QByteArray("\x81") << QString(QChar(0x81));
  QTest::newRow("empty") << QByteArray("") << QString();
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

void EngineTextTest::encodeRoundTrip() {
  std::string all;
  for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  QCOMPARE(EncodeCp1252(DecodeCp1252(all.c_str())), all);
}

void EngineTextTest::encodeUnknownCharacter() {
  QCOMPARE(EncodeCp1252(QStringLiteral("a\u4e2db")), std::string("a?b"));
}

QTEST_MAIN(EngineTextTest)
#include "engine_text_test.moc"
