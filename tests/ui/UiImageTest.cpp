// Every image the window names is in its resources, with its hot variant
// where it has one.
#include <QFile>
#include <QtTest>

#include "ui/UiImage.h"

Q_DECLARE_METATYPE(UiImage)

class CUiImageTest : public QObject {
    Q_OBJECT
private slots:
    void EveryImageIsAResource_data();
    void EveryImageIsAResource();
};

void CUiImageTest::EveryImageIsAResource_data() {
    QTest::addColumn<UiImage>("image");
    for (int value = 0; value < static_cast<int>(UiImage::Count); ++value) {
        QTest::addRow("%d", value) << static_cast<UiImage>(value);
    }
}

void CUiImageTest::EveryImageIsAResource() {
    QFETCH(UiImage, image);
    const QString path = UiImagePath(image);
    QVERIFY2(path.startsWith(QStringLiteral(":/ui/")), qPrintable(path));
    QVERIFY2(QFile::exists(path), qPrintable(path));
    const QString hot = UiHotImagePath(image);
    QVERIFY2(hot.isEmpty() || QFile::exists(hot), qPrintable(hot));
    QVERIFY(!UiIcon(image).isNull());
}

QTEST_MAIN(CUiImageTest)
#include "UiImageTest.moc"
