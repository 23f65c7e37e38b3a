// Shared set-up for tests that show windows: headless by default, the program's own font,
// translation and icon, and a guard that fails a test left hanging on a modal dialog.
#pragma once

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

class QLocale;

namespace tickora {
class DialogServices;
class Form1;
} // namespace tickora

namespace tickora::test {

// A main window over the given dialogs and regional format, shown and exposed; null if it
// never was.
std::unique_ptr<Form1> showMainWindow(DialogServices& dialogs, const QLocale& locale);

void prepareEnvironment();
void prepareApplication(QApplication& app);

// Runs inspect on the next modal widget as soon as it is up (from a zero-delay timer, so the
// modal loop is running), then the caller's code closes it inside inspect.
void whenModalShown(std::function<void(QWidget*)> inspect);

// True once whenModalShown's inspect has run; wait on it after the call that opens the modal.
bool modalSeen();

} // namespace tickora::test

#define TICKORA_GUI_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char* argv[]) {                                                             \
        tickora::test::prepareEnvironment();                                                       \
        QApplication app(argc, argv);                                                              \
        tickora::test::prepareApplication(app);                                                    \
        TestObject test;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
