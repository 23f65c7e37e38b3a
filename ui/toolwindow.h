// A tool window beside the main one: its own window (it neither blocks nor stays above the main
// window), a menu bar over a fixed layout, and closing only hides it, so it comes back where
// the user left it.
#pragma once

#include <QDialog>

#include <functional>

class QAction;

namespace tickora {

class ToolWindow : public QDialog {
    Q_OBJECT
public:
    ToolWindow(const char* name, const QString& title, QSize client, QWidget* parent);

    // Beside the main window where the screen has room, else where it covers least of it.
    void placeBeside(const QWidget* main);

protected:
    QWidget* client() const { return client_; }
    // The 工具 menu: the window's copy entry, then 关闭. Sizes the window to menu and layout.
    QAction* createMenu(const QString& copyCaption, std::function<void()> copy);

private:
    QWidget* client_;
    QSize clientSize_;
};

} // namespace tickora
