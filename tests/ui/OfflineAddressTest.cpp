// The address bar's Ctrl conversion, the window placement rules and the
// choice of how the view draws: pure functions, checked without a window.
#include <QtTest>

#include "ui/OfflineAddress.h"
#include "ui/ViewGraphics.h"
#include "ui/WindowPlacement.h"

namespace {
const char kRoot[] = "http://127.0.0.1:4000/";
}  // namespace

class COfflineAddressTest : public QObject {
    Q_OBJECT
private slots:
    void Conversion_data();
    void Conversion();
    void InitialGeometry_data();
    void InitialGeometry();
    void KeepOnScreen_data();
    void KeepOnScreen();
    void SoftwareRenderers();
    void ShowState_data();
    void ShowState();
};

void COfflineAddressTest::Conversion_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("converted");
    QTest::newRow("host and folder") << "www.example.com/docs/"
                                     << "http://127.0.0.1:4000/www.example.com/docs/index.html";
    QTest::newRow("scheme and bare host") << "http://www.example.com"
                                          << "http://127.0.0.1:4000/www.example.com/index.html";
    QTest::newRow("page kept") << "https://shop.example/a/b.html"
                               << "http://127.0.0.1:4000/shop.example/a/b.html";
    QTest::newRow("leading slashes go") << "file:///srv/site/"
                                        << "http://127.0.0.1:4000/srv/site/index.html";
    QTest::newRow("only the first scheme goes") << "http://a.example/go?to=http://b.example/"
                                                << "http://127.0.0.1:4000/a.example/go?to=http://b.example/index.html";
    QTest::newRow("already on the server") << "http://127.0.0.1:4000/x.example/index.html"
                                           << "http://127.0.0.1:4000/x.example/index.html";
    QTest::newRow("another port is converted") << "http://127.0.0.1:5000/"
                                               << "http://127.0.0.1:4000/127.0.0.1:5000/index.html";
    QTest::newRow("a site on another port") << "http://127.0.0.3:18085/a.html"
                                            << "http://127.0.0.1:4000/127.0.0.3:18085/a.html";
    QTest::newRow("a named site on another port")
        << "Shop.Example:8080"
        << "http://127.0.0.1:4000/Shop.Example:8080/index.html";
    QTest::newRow("the default port goes") << "http://Shop.Example:80/docs/"
                                           << "http://127.0.0.1:4000/Shop.Example/docs/index.html";
    QTest::newRow("the default port, written long") << "127.0.0.3:0080"
                                                    << "http://127.0.0.1:4000/127.0.0.3/index.html";
    QTest::newRow("an account stays") << "http://ann@shop.example:80/a.html"
                                      << "http://127.0.0.1:4000/ann@shop.example/a.html";
    QTest::newRow("nothing after the scheme") << "http://" << "";
}

void COfflineAddressTest::Conversion() {
    QFETCH(QString, typed);
    QFETCH(QString, converted);
    QCOMPARE(QString::fromStdString(OfflineAddress(typed.toStdString(), kRoot)), converted);
}

void COfflineAddressTest::InitialGeometry_data() {
    QTest::addColumn<QRect>("stored");  // Left, Top, Right, Bottom as x, y, right + 1, bottom + 1
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QRect>("created");
    QTest::newRow("defaults") << QRect(QPoint(100, 100), QPoint(699, 499)) << QSize(1280, 1024)
                              << QRect(100, 100, 600, 400);
    QTest::newRow("too small") << QRect(QPoint(50, 50), QPoint(59, 39)) << QSize(1280, 1024)
                               << QRect(50, 50, 300, 200);
    QTest::newRow("larger than the screen") << QRect(QPoint(0, 0), QPoint(2999, 1999))
                                            << QSize(1280, 1024) << QRect(0, 0, 1280, 1024);
}

void COfflineAddressTest::InitialGeometry() {
    QFETCH(QRect, stored);
    QFETCH(QSize, screen);
    QFETCH(QRect, created);
    const CWindowRect rc{stored.left(), stored.top(), stored.right() + 1, stored.bottom() + 1};
    QCOMPARE(::InitialGeometry(rc, screen), created);
    // What closes at that geometry is stored as that rectangle again.
    QCOMPARE(RectFromGeometry(created),
             (CWindowRect{created.x(), created.y(), created.x() + created.width(),
                          created.y() + created.height()}));
}

void COfflineAddressTest::KeepOnScreen_data() {
    QTest::addColumn<QRect>("window");
    QTest::addColumn<QRect>("placed");
    QTest::newRow("on the screen") << QRect(100, 100, 600, 400) << QRect(100, 100, 600, 400);
    QTest::newRow("mostly off, a corner left") << QRect(1230, 974, 600, 400)
                                              << QRect(1230, 974, 600, 400);
    QTest::newRow("on the second screen") << QRect(1500, 100, 600, 400)
                                          << QRect(1500, 100, 600, 400);
    QTest::newRow("where no screen is") << QRect(-30000, -30000, 600, 400)
                                        << QRect(0, 0, 600, 400);
    QTest::newRow("a sliver showing") << QRect(-570, 200, 600, 400) << QRect(0, 200, 600, 400);
    QTest::newRow("below, too big") << QRect(100, 5000, 3000, 2000) << QRect(0, 0, 1280, 1024);
}

void COfflineAddressTest::KeepOnScreen() {
    QFETCH(QRect, window);
    QFETCH(QRect, placed);
    // The primary screen, and a second one to its right.
    const QList<QRect> screens{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    QCOMPARE(::KeepOnScreen(window, screens), placed);
}

void COfflineAddressTest::SoftwareRenderers() {
    for (const char* renderer : {"llvmpipe (LLVM 15.0.6, 256 bits)", "softpipe",
                                 "Software Rasterizer", "Mesa X11 swrast",
                                 "Google SwiftShader"}) {
        QVERIFY2(IsSoftwareRenderer(renderer), renderer);
    }
    for (const char* renderer : {"Mesa Intel(R) UHD Graphics 620 (KBL GT2)",
                                 "AMD Radeon RX 6600 (navi23, LLVM 15.0.6, DRM 3.49)",
                                 "NVIDIA GeForce GTX 1650/PCIe/SSE2", ""}) {
        QVERIFY2(!IsSoftwareRenderer(renderer), renderer);
    }
}

void COfflineAddressTest::ShowState_data() {
    QTest::addColumn<int>("showCmd");
    QTest::addColumn<int>("state");
    QTest::addColumn<int>("stored");
    QTest::newRow("normal") << 1 << int(Qt::WindowNoState) << 1;
    QTest::newRow("minimised") << 2 << int(Qt::WindowMinimized) << 2;
    QTest::newRow("maximised") << 3 << int(Qt::WindowMaximized) << 3;
    QTest::newRow("minimise") << 6 << int(Qt::WindowMinimized) << 2;
    QTest::newRow("restore") << 9 << int(Qt::WindowNoState) << 1;
}

void COfflineAddressTest::ShowState() {
    QFETCH(int, showCmd);
    QFETCH(int, state);
    QFETCH(int, stored);
    QCOMPARE(int(WindowStateForShowCmd(showCmd)), state);
    QCOMPARE(ShowCmdForWindowState(Qt::WindowStates(state)), stored);
}

QTEST_GUILESS_MAIN(COfflineAddressTest)
#include "OfflineAddressTest.moc"
