#include "guitest.h"

#include "appearance.h"
#include "form1.h"
#include "translation.h"

#include <QElapsedTimer>
#include <QWidget>

#include <cstdio>

namespace tickora::test {
namespace {

bool inspected = false;
std::function<void(QWidget*)> pendingInspection;
QElapsedTimer pollingFor;
constexpr qint64 modalDeadlineMs = 5000;

// A modal dialog that no test expected would block the suite until its timeout; close it
// and fail instead.
void guardAgainstStrayModals(QApplication& app) {
    auto* guard = new QTimer(&app);
    guard->setInterval(3000);
    QObject::connect(guard, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || pendingInspection)
            return;
        std::fprintf(stderr, "unexpected modal dialog '%s'\n", qPrintable(modal->windowTitle()));
        modal->close();
        QTest::qFail("an unexpected modal dialog was shown", __FILE__, __LINE__);
    });
    guard->start();
}

void pollForModal() {
    if (QWidget* modal = QApplication::activeModalWidget()) {
        auto inspect = std::move(pendingInspection);
        pendingInspection = nullptr;
        inspected = true;
        inspect(modal);
        // A failed check returns before the test closes the modal; close it here instead.
        if (QApplication::activeModalWidget() == modal)
            modal->close();
        return;
    }
    if (pollingFor.elapsed() > modalDeadlineMs) {
        pendingInspection = nullptr; // the test sees modalSeen() stay false
        return;
    }
    QTimer::singleShot(0, pollForModal);
}

} // namespace

void prepareEnvironment() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

void prepareApplication(QApplication& app) {
    installChineseQtTranslation(app);
    applyInterfaceFont(app);
    applyApplicationIcon(app);
    guardAgainstStrayModals(app);
}

void whenModalShown(std::function<void(QWidget*)> inspect) {
    inspected = false;
    pendingInspection = std::move(inspect);
    pollingFor.start();
    QTimer::singleShot(0, pollForModal);
}

bool modalSeen() { return inspected; }

std::unique_ptr<Form1> showMainWindow(DialogServices& dialogs, const QLocale& locale) {
    auto window = std::make_unique<Form1>(dialogs, NumberText(locale));
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return nullptr;
    return window;
}

} // namespace tickora::test
