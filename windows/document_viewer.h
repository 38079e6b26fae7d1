#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;
class WindowStacking;

enum class ViewerKind
{
    Faq,
    License,
};

// frmHelp and frmLicense: a document of the program's, shown read-only in a resizable window that owns the
// topmost band while it is open.
class DocumentViewer : public QDialog
{
    Q_OBJECT

public:
    DocumentViewer(ViewerKind kind, const QString& documentDirectory, QWidget* keypad, WindowStacking& stacking);

    QTextBrowser* view() const { return m_rtbMain; }

    // The file each viewer shows, its caption, and the height its view gives up to the window, in twips.
    static QString documentName(ViewerKind kind);
    static QString caption(ViewerKind kind);
    static int heightSubtracted(ViewerKind kind);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void done(int result) override;

private:
    void load(const QString& path);
    void fitView();
    void handBack();

    ViewerKind m_kind;
    QWidget* m_keypad;
    WindowStacking& m_stacking;
    QTextBrowser* m_rtbMain;
    bool m_handedBack = false;
};
