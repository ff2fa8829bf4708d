// The about box and the icons it shares with the rest of the window: every icon must render from
// the bundled files alone, as on a machine without any icon theme.
#include "app/aboutbox.h"

#include <QGroupBox>
#include <QIcon>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "resources/icons.h"

namespace {

constexpr int kIconCount = static_cast<int>(IconId::kShowMainText) + 1;  // the last of IconId

// Counts the pixels that are not fully transparent: zero means nothing was drawn.
int paintedPixels(const QImage& image) {
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    int painted = 0;
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) != 0) ++painted;
        }
    }
    return painted;
}

QImage render(IconId id, int size) { return Icon(id).pixmap(QSize(size, size), 1.0).toImage(); }

}  // namespace

class AboutBoxTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() {
        // No theme to search: what is drawn comes from the bundled files, as on a bare machine.
        QIcon::setThemeSearchPaths({});
        QIcon::setFallbackSearchPaths({});
        QIcon::setThemeName(QStringLiteral("sumoran-test-no-theme"));
        QIcon::setFallbackThemeName(QStringLiteral("sumoran-test-no-theme"));
    }

    void svgImagePluginIsInstalled() {
        QVERIFY2(QImageReader::supportedImageFormats().contains("svg"),
                 "Qt's SVG image plugin is missing (Debian package libqt6svg6): every button would be blank");
    }

    void everyIconIsDrawnWithoutATheme_data() {
        QTest::addColumn<int>("id");
        for (int id = 0; id < kIconCount; ++id) QTest::addRow("icon %d", id) << id;
    }

    void everyIconIsDrawnWithoutATheme() {
        QFETCH(int, id);
        const QIcon icon = Icon(static_cast<IconId>(id));
        QVERIFY(!icon.isNull());
        const QPixmap pixmap = icon.pixmap(24, 24);
        QVERIFY(!pixmap.isNull());
        QVERIFY2(paintedPixels(pixmap.toImage()) > 24, "the icon is blank");
    }

    void bundledIconsDifferFromEachOther() {
        // Two buttons with the same picture would mean an icon is mapped to the wrong file.
        QList<QImage> images;
        for (int id = 0; id < kIconCount; ++id) images.append(render(static_cast<IconId>(id), 24));
        for (int a = 0; a < kIconCount; ++a) {
            for (int b = a + 1; b < kIconCount; ++b) {
                QVERIFY2(images[a] != images[b],
                         qPrintable(QStringLiteral("icons %1 and %2 look the same").arg(a).arg(b)));
            }
        }
    }

    void programIconScalesToDesktopSizes() {
        for (int size : {16, 32, 48, 256}) {
            const QImage image = render(IconId::kProgram, size);
            QCOMPARE(image.size(), QSize(size, size));
            // The badge fills most of the square at every size.
            QVERIFY2(paintedPixels(image) > size * size / 2, qPrintable(QString::number(size)));
        }
    }

    void showsTheProgramNameAndVersion() {
        TFormAbout box;
        QCOMPARE(box.windowTitle(), QStringLiteral("О программе..."));
        QCOMPARE(box.accessibleName(), QStringLiteral("О программе..."));

        const auto* group = box.findChild<QGroupBox*>();
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("О программе..."));

        QLabel* version = nullptr;
        QLabel* image = nullptr;
        for (QLabel* label : group->findChildren<QLabel*>()) {
            if (label->text() == QStringLiteral("Sumoran, v" SUMORAN_VERSION)) version = label;
            if (!label->pixmap().isNull()) image = label;
        }
        QVERIFY2(version, "no label \"Sumoran, v" SUMORAN_VERSION "\" in the group box");
        QVERIFY(version->font().bold());
        QVERIFY2(image, "no program icon in the group box");
        QCOMPARE(image->pixmap().deviceIndependentSize().toSize(), QSize(32, 32));
        QVERIFY(paintedPixels(image->pixmap().toImage()) > 0);

        const QList<QPushButton*> buttons = box.findChildren<QPushButton*>();
        QCOMPARE(buttons.size(), 1);
        QCOMPARE(buttons.first()->text(), QStringLiteral("Ok"));
        QVERIFY(buttons.first()->isDefault());
    }

    void isAFramelessLightGreenBoxSizedToItsContents() {
        TFormAbout box;
        QVERIFY(box.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(box.windowType(), Qt::Dialog);

        const QColor background = box.palette().color(QPalette::Window);
        QVERIFY(box.autoFillBackground());
        QVERIFY2(background.green() > background.red() && background.green() > background.blue() &&
                     background.lightness() > 160,
                 qPrintable(background.name()));

        QCOMPARE(box.layout()->contentsMargins(), QMargins(5, 5, 5, 5));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        QCOMPARE(box.size(), box.sizeHint());
        QCOMPARE(box.minimumSize(), box.maximumSize());
    }

    void opensCentredOverItsParent() {
        QWidget mainWindow;
        mainWindow.setGeometry(40, 60, 600, 400);
        mainWindow.show();
        QVERIFY(QTest::qWaitForWindowExposed(&mainWindow));

        TFormAbout box(&mainWindow);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        // Centres are compared with a pixel or two to spare for the rounding of odd sizes.
        const QPointF offset = box.frameGeometry().toRectF().center() - mainWindow.frameGeometry().toRectF().center();
        QVERIFY2(qAbs(offset.x()) <= 2 && qAbs(offset.y()) <= 2,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    }

    void enterClosesTheBox() {
        QWidget mainWindow;
        mainWindow.show();
        TFormAbout box(&mainWindow);
        // Shown modally, as the help menu shows it; Enter must end the modal loop through "Ok".
        QTimer::singleShot(0, &box, [&box] { QTest::keyClick(&box, Qt::Key_Return); });
        QTimer::singleShot(5000, &box, [&box] { box.done(-1); });  // keeps a failure from hanging the test
        QCOMPARE(box.exec(), int(QDialog::Accepted));
        QVERIFY(!box.isVisible());
    }

    void clickOnOkClosesTheBox() {
        TFormAbout box;
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        auto* ok = box.findChild<QPushButton*>();
        QVERIFY(ok);
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!box.isVisible());
        QCOMPARE(box.result(), int(QDialog::Accepted));
    }
};

QTEST_MAIN(AboutBoxTest)
#include "aboutbox_test.moc"
