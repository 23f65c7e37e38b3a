// The one fixture of the window tests: headless unless a platform was chosen, the program's
// font and translation, and the main window over recorded dialogs, so that no modal dialog
// opens unless a test asks for a real one. A control a test names and the window lacks is a
// null pointer: the test crashes, and so fails.
#pragma once

#include "appearance.h"
#include "dialogservices.h"
#include "form1.h"
#include "translation.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>

namespace tickora::test {

// Records what the calculator would have shown or asked, instead of opening a modal dialog.
struct FakeDialogs : DialogServices {
    void showMessage(const QString& text) override { messages.append(text); }
    QString askText(const QString& prompt, const QString& caption, const QString& def) override {
        questions.append(prompt + '|' + caption + '|' + def);
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }
    QStringList messages, questions;
    QStringList answers; // given in turn; a cancel once used up
};

// Headless unless a platform was chosen: set before QTEST_MAIN creates the application.
inline const bool headless = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return true;
}();

inline bool awaitingModal = false;

// The program's translation and font, as main sets them up; from initTestCase.
inline void prepareApplication() {
    installChineseQtTranslation(*qApp);
    applyInterfaceFont(*qApp);
}

// Runs inspect inside the modal loop the next call opens; a failed check leaves it to close.
inline void whenModalShown(std::function<void(QWidget*)> inspect) {
    awaitingModal = true;
    QTimer::singleShot(0, [inspect] {
        awaitingModal = false;
        QWidget* modal = QApplication::activeModalWidget();
        inspect(modal);
        if (QApplication::activeModalWidget() == modal)
            modal->close();
    });
}

struct MainWindow {
    FakeDialogs dialogs;
    std::unique_ptr<Form1> window;

    void open() {
        dialogs = {};
        window = std::make_unique<Form1>(dialogs, NumberText(QLocale(QLocale::English)));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    template <typename T = QWidget> T* child(const QString& name) const {
        return window->findChild<T*>(name);
    }
    QLineEdit* box(const QString& name) const { return child<QLineEdit>(name); }
    void click(const QString& name) const { QTest::mouseClick(child(name), Qt::LeftButton); }
    QString results() const {
        return QStringList{box("Text3")->text(), box("Text4")->text(), box("Text5")->text(),
                           box("Text6")->text()}
            .join(' ');
    }
};

} // namespace tickora::test
