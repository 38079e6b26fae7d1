#include "windows/help_menu.h"

#include "keypad/program_info.h"
#include "windows/about_window.h"
#include "windows/mail_link.h"
#include "windows/stacking.h"

#include <QMessageBox>

namespace {
QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Runs one step of a command whose steps each go ahead whatever became of the one before.
template <typename Step> void ignoringFailure(Step step)
{
    try {
        step();
    } catch (...) {
    }
}
} // namespace

HelpMenu::HelpMenu(WindowStacking& stacking, QString documentDirectory)
    : m_stacking(stacking), m_documentDirectory(std::move(documentDirectory)),
      m_aboutIntervalMs(AboutWindow::kDefaultIntervalMs)
{}

QString HelpMenu::contactText()
{
    return QStringLiteral("If you are reporting a error, please give me a detailed description of the error and "
                          "what you were doing when it occured.  Thank You!  ") +
           fromView(glyphward::kSupportAddress);
}

QString HelpMenu::mailLink()
{
    return QStringLiteral("mailto:") + fromView(glyphward::kSupportAddress) + QStringLiteral("?subject=Glyphward User");
}

void HelpMenu::Contact()
{
    ignoringFailure([this] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Contact Brivex"), contactText(), QMessageBox::Ok,
                        m_keypad);
        box.setObjectName("msgContact");
        m_contactBox = &box;
        box.exec();
    });
    // A keypad told to close while the box was up must not go on to start the mail program.
    if (m_keypadShutDown) {
        return;
    }
    ignoringFailure([this] { openMailLink(m_keypad, mailLink()); });
}

void HelpMenu::OpenAbout()
{
    m_stacking.SetTopMost(m_keypad, false);
    if (!m_about) {
        m_about = new AboutWindow(m_keypad, m_stacking, m_aboutIntervalMs);
    }
    m_about->show();
    m_about->raise();
    m_stacking.SetTopMost(m_about, true);
}

void HelpMenu::CloseAboutIfOpen()
{
    m_keypadShutDown = true;
    if (m_contactBox) {
        m_contactBox->reject();
    }
    if (m_about) {
        m_about->close();
    }
}

void HelpMenu::OpenViewer(ViewerKind kind)
{
    ignoringFailure([this] { m_stacking.SetTopMost(m_keypad, false); });
    ignoringFailure([this, kind] {
        DocumentViewer viewer(kind, m_documentDirectory, m_keypad, m_stacking);
        viewer.exec();
    });
}
