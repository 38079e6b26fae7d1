#include "keypad/program_info.h"
#include "window_doubles.h"
#include "windows/about_window.h"
#include "windows/document_viewer.h"
#include "windows/help_menu.h"
#include "windows/keypad_window.h"

#include <QAccessible>
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Runs `act` on the modal window as soon as one is shown, from the event loop that the modal call runs.
void whenModal(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) {
            poll->stop();
            poll->deleteLater();
            act(modal);
        }
    });
    poll->start(10);
}

class HelpMenuTest : public ::testing::Test
{
protected:
    HelpMenuTest()
    {
        help.setKeypadWindow(&keypad);
        keypad.load();
        stacking.log.clear();
    }

    MemorySettings settings;
    RecordingStacking stacking;
    HelpMenu help{stacking, QStringLiteral(GLYPHWARD_ASSETS_DIR)};
    KeypadWindow keypad{settings, help, help, stacking};
};

TEST_F(HelpMenuTest, AViewerTakesTheTopmostBandWhileOpenAndGivesItBack)
{
    for (MenuItem item : {MenuItem::HelpFAQ, MenuItem::HelpLicense}) {
        stacking.log.clear();
        QString caption;
        whenModal([&](QWidget* viewer) {
            caption = viewer->windowTitle();
            viewer->close();
        });
        keypad.keypad().commands.MenuClicked(item);

        const std::string name = item == MenuItem::HelpFAQ ? "frmHelp" : "frmLicense";
        EXPECT_EQ(stacking.log,
                  (std::vector<std::string>{"frmKeypad off", name + " on", name + " off", "frmKeypad on"}));
        EXPECT_EQ(caption, item == MenuItem::HelpFAQ ? "Glyphward OSK F.A.Q." : "Glyphward OSK Liscense Agreement");
    }
}

TEST_F(HelpMenuTest, ViewersShowTheirDocumentsAndKeepTheResizeRule)
{
    for (ViewerKind kind : {ViewerKind::Faq, ViewerKind::License}) {
        DocumentViewer viewer(kind, QStringLiteral(GLYPHWARD_ASSETS_DIR), &keypad, stacking);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
        const QString text = viewer.view()->toPlainText();
        EXPECT_TRUE(text.startsWith(kind == ViewerKind::Faq ? "Glyphward OSK: questions and answers"
                                                            : "Glyphward OSK License Agreement"))
            << text.left(80).toStdString();
        EXPECT_TRUE(viewer.view()->isReadOnly());

        // To a screen reader: a read-only document named after its viewer, whose text it can read.
        QAccessibleInterface* document = QAccessible::queryAccessibleInterface(viewer.view());
        ASSERT_NE(document, nullptr);
        EXPECT_EQ(document->role(), QAccessible::Document);
        EXPECT_EQ(document->text(QAccessible::Name), DocumentViewer::caption(kind));
        EXPECT_TRUE(document->state().readOnly);
        ASSERT_NE(document->textInterface(), nullptr);
        EXPECT_EQ(document->textInterface()->text(0, 20), text.left(20));
        // The document counts the end of its last paragraph as a character of its own.
        EXPECT_EQ(document->textInterface()->characterCount(), viewer.view()->document()->characterCount() - 1);

        const int below = (DocumentViewer::heightSubtracted(kind) + 7) / 15; // twips to pixels, rounded
        for (QSize size : {QSize(300, 200), QSize(900, 700), QSize(640, 480)}) {
            viewer.resize(size);
            QCoreApplication::processEvents();
            const QRect outer = viewer.frameGeometry();
            const QRect expected(0, 0, std::min(outer.width() - 7, viewer.width()),
                                 std::min(outer.height() - below, viewer.height()));
            EXPECT_EQ(viewer.view()->geometry(), expected) << size.width() << "x" << size.height();
        }
        viewer.close();
    }
}

TEST_F(HelpMenuTest, TextWithoutAColourOfItsOwnTakesThePalettesSoADarkThemeCanReadIt)
{
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(30, 30, 30));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    for (ViewerKind kind : {ViewerKind::Faq, ViewerKind::License}) {
        DocumentViewer viewer(kind, QStringLiteral(GLYPHWARD_ASSETS_DIR), &keypad, stacking);
        viewer.setPalette(dark);
        viewer.resize(500, 400);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));

        // Our documents colour no text of their own: all of it is drawn in the palette's text colour.
        for (QTextBlock block = viewer.view()->document()->begin(); block.isValid(); block = block.next()) {
            for (auto it = block.begin(); !it.atEnd(); ++it) {
                EXPECT_EQ(it.fragment().charFormat().foreground().style(), Qt::NoBrush)
                    << it.fragment().text().left(40).toStdString();
            }
        }
        const QImage shown = viewer.view()->viewport()->grab().toImage();
        int light = 0;
        int dim = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = 0; x < shown.width(); ++x) {
                const int lightness = QColor(shown.pixel(x, y)).lightness();
                light += lightness > 180;
                dim += lightness < 20;
            }
        }
        EXPECT_GT(light, 500) << "light text on the dark page";
        EXPECT_EQ(dim, 0) << "no black text on it";
    }

    // A colour that a document does set is kept.
    QTemporaryDir dir;
    QFile red(dir.filePath(DocumentViewer::documentName(ViewerKind::Faq)));
    ASSERT_TRUE(red.open(QIODevice::WriteOnly));
    red.write("{\\rtf1{\\colortbl;\\red200\\green0\\blue0;}plain {\\cf1 red} {\\cf0 auto}\\par}");
    red.close();
    DocumentViewer viewer(ViewerKind::Faq, dir.path(), &keypad, stacking);
    QStringList coloured;
    for (auto it = viewer.view()->document()->begin().begin(); !it.atEnd(); ++it) {
        if (it.fragment().charFormat().foreground().style() != Qt::NoBrush) {
            coloured << it.fragment().text() + "=" + it.fragment().charFormat().foreground().color().name();
        }
    }
    EXPECT_EQ(coloured, QStringList{"red=#c80000"});
}

TEST_F(HelpMenuTest, ViewersAreOwnedByTheKeypadWindow)
{
    keypad.show();
    for (ViewerKind kind : {ViewerKind::Faq, ViewerKind::License}) {
        DocumentViewer viewer(kind, QStringLiteral(GLYPHWARD_ASSETS_DIR), &keypad, stacking);
        viewer.show();
        ASSERT_NE(viewer.windowHandle(), nullptr);
        EXPECT_EQ(viewer.windowHandle()->transientParent(), keypad.windowHandle());
        // X11 gets WM_TRANSIENT_FOR for a dialog only (checked with xprop end to end).
        EXPECT_EQ(viewer.windowType(), Qt::Dialog);
        EXPECT_TRUE(viewer.windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << "still resizable as before";
        viewer.close();
    }
    keypad.hide();
}

TEST_F(HelpMenuTest, SecondaryWindowsLieWhollyOnTheKeypadsScreenFrameIncluded)
{
    keypad.show();
    const QRect area = keypad.screen()->availableGeometry();
    for (ViewerKind kind : {ViewerKind::Faq, ViewerKind::License}) {
        SCOPED_TRACE(DocumentViewer::caption(kind).toStdString());
        DocumentViewer viewer(kind, QStringLiteral(GLYPHWARD_ASSETS_DIR), &keypad, stacking);
        if (kind == ViewerKind::License) {
            // The client area at 1155, 345 twips, or lower where the title bar would not fit above it.
            EXPECT_EQ(viewer.geometry().left(), area.left() + 77);
            EXPECT_GE(viewer.geometry().top(), area.top() + 23);
            EXPECT_LE(viewer.geometry().top(), area.top() + 30);
        }
        // As on a screen smaller than the design size (at 1.5x scaling, say).
        viewer.resize(area.width() + 300, area.height() + 300);
        viewer.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&viewer));
        QCoreApplication::processEvents();
        EXPECT_TRUE(area.contains(viewer.frameGeometry()))
            << "frame " << viewer.frameGeometry().y() << ".." << viewer.frameGeometry().bottom() << " on " << area.y()
            << ".." << area.bottom();
        EXPECT_LE(viewer.view()->geometry().bottom(), viewer.height()) << "the view, and its scroll bar, show whole";

        // Pushed past the top edge, the title bar comes back onto the screen.
        viewer.move(viewer.x(), area.top() - 40);
        QCoreApplication::processEvents();
        EXPECT_GE(viewer.frameGeometry().top(), area.top());
        viewer.close();
    }
    help.OpenAbout();
    ASSERT_NE(help.aboutWindow(), nullptr);
    EXPECT_TRUE(area.contains(help.aboutWindow()->frameGeometry()));
    EXPECT_EQ(help.aboutWindow()->pos(), area.topLeft() + QPoint(264, 92));
    help.CloseAboutIfOpen();
    keypad.hide();
}

TEST_F(HelpMenuTest, AMissingDocumentIsNamedInTheView)
{
    DocumentViewer viewer(ViewerKind::Faq, QStringLiteral("/nonexistent"), &keypad, stacking);
    EXPECT_EQ(viewer.view()->toPlainText(), "Could not read /nonexistent/Help.rtf: the file does not exist");

    QTemporaryDir dir;
    QFile plain(dir.filePath("GlyphwardLiscense.rtf"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.write("Just some text.\n");
    plain.close();
    DocumentViewer notRtf(ViewerKind::License, dir.path(), &keypad, stacking);
    EXPECT_EQ(notRtf.view()->toPlainText(),
              QDir::toNativeSeparators(dir.filePath("GlyphwardLiscense.rtf")).prepend("Could not read ") +
                  ": not an RTF document");
}

TEST_F(HelpMenuTest, AboutShowsTheVersionAndClosesByItselfHandingTheBandBack)
{
    help.setAboutInterval(100);
    keypad.keypad().commands.MenuClicked(MenuItem::HelpAbout);
    AboutWindow* about = help.aboutWindow();
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->windowTitle(), keypad.windowTitle());
    EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "0.0.10");
    EXPECT_EQ(about->findChild<QLabel*>("lblAVerrick")->text(), "By: Ansel Verrick");
    EXPECT_EQ(about->findChild<QLabel*>("lblWeb")->text().toStdString(), glyphward::kWebAddress);
    EXPECT_TRUE(about->windowFlags() & Qt::FramelessWindowHint);

    EXPECT_TRUE(QTest::qWaitFor([&] { return help.aboutWindow() == nullptr; }, 2000));
    EXPECT_EQ(stacking.log, (std::vector<std::string>{"frmKeypad off", "frmAboutGlyphward on", "frmAboutGlyphward off",
                                                      "frmKeypad on"}));
}

TEST_F(HelpMenuTest, ClickingAnAboutTextClosesItAtOnceButNotThePicture)
{
    for (const char* label : {"lblVersion", "lblAVerrick", "lblWeb"}) {
        help.OpenAbout();
        AboutWindow* about = help.aboutWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(about));
        QTest::mouseClick(about->findChild<QLabel*>("Image2"), Qt::LeftButton);
        ASSERT_EQ(help.aboutWindow(), about) << "a click on the picture does nothing";

        QTest::mouseClick(about->findChild<QLabel*>(label), Qt::LeftButton);
        EXPECT_TRUE(QTest::qWaitFor([&] { return help.aboutWindow() == nullptr; }, 1000)) << label;
    }
}

TEST_F(HelpMenuTest, AboutAgainBringsItForwardWithoutRestartingItsTimer)
{
    help.setAboutInterval(400);
    help.OpenAbout();
    AboutWindow* about = help.aboutWindow();
    QTest::qWait(250);
    help.OpenAbout();
    EXPECT_EQ(help.aboutWindow(), about);
    EXPECT_TRUE(QTest::qWaitFor([&] { return help.aboutWindow() == nullptr; }, 300))
        << "closes 400 ms after the first opening, not the second";
}

TEST_F(HelpMenuTest, ClosingTheKeypadClosesTheAboutWindow)
{
    keypad.show();
    help.OpenAbout();
    ASSERT_NE(help.aboutWindow(), nullptr);

    keypad.close();

    EXPECT_TRUE(QTest::qWaitFor([&] { return help.aboutWindow() == nullptr; }, 1000));
    EXPECT_EQ(settings.writes.size(), 3u);
}

// Receives the links the program hands to the desktop.
class LinkCatcher : public QObject
{
    Q_OBJECT

public slots:
    void open(const QUrl& url) { links << url; }

public:
    QList<QUrl> links;
};

TEST_F(HelpMenuTest, ClosingTheKeypadWhileContactAsksOpensNoMailLink)
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    // As a termination signal does: the keypad closes from the event loop that the box runs.
    whenModal([this](QWidget*) { keypad.close(); });

    keypad.keypad().commands.MenuClicked(MenuItem::HelpContact);
    QDesktopServices::unsetUrlHandler("mailto");

    EXPECT_TRUE(catcher.links.isEmpty());
    EXPECT_EQ(settings.writes.size(), 3u) << "the settings were saved";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(HelpMenuTest, ContactAsksForAReportThenOpensTheMailLink)
{
    LinkCatcher catcher;
    QDesktopServices::setUrlHandler("mailto", &catcher, "open");
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool linkOpenedBeforeDismissal = true;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        linkOpenedBeforeDismissal = !catcher.links.isEmpty();
        box->accept();
    });

    keypad.keypad().commands.MenuClicked(MenuItem::HelpContact);
    QDesktopServices::unsetUrlHandler("mailto");

    EXPECT_EQ(title, "Contact Brivex");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(text.toStdString(), "If you are reporting a error, please give me a detailed description of the error "
                                  "and what you were doing when it occured.  Thank You!  " +
                                      std::string(glyphward::kSupportAddress));
    EXPECT_FALSE(linkOpenedBeforeDismissal);
    ASSERT_EQ(catcher.links.size(), 1);
    EXPECT_EQ(catcher.links.front().toString().toStdString(),
              "mailto:" + std::string(glyphward::kSupportAddress) + "?subject=Glyphward User");
}

} // namespace

#include "help_menu_test.moc"
