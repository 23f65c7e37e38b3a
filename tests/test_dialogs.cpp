// The real modal dialogs and windows, inspected and closed from inside their modal loops.
#include "fakedialogs.h"
#include "form1.h"
#include "form2.h"
#include "form3.h"
#include "guitest.h"
#include "qtdialogservices.h"

#include <QAbstractTextDocumentLayout>
#include <QAction>
#include <QDialogButtonBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <memory>

using namespace tickora;

namespace {

QStringList buttonTexts(QWidget* dialog) {
    QStringList texts;
    for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>())
        texts << button->text();
    texts.sort();
    return texts;
}

// The lines a word-wrapped label shows, laid out as the label lays them out.
QStringList shownLines(const QLabel* label) {
    QTextDocument document;
    document.setDocumentMargin(0);
    document.setDefaultFont(label->font());
    document.setPlainText(label->text());
    document.setTextWidth(label->contentsRect().width());
    document.documentLayout()->documentSize(); // lays the text out
    QStringList lines;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* layout = block.layout();
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines << block.text().mid(line.textStart(), line.textLength()).trimmed();
        }
    }
    return lines;
}

QRect fromTwips(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void messageBoxHasTitleTextAndOkOnly();
    void inputDialogAnswers_data();
    void inputDialogAnswers();
    void infoWindows_data();
    void infoWindows();
};

void TestDialogs::messageBoxHasTitleTextAndOkOnly() {
    QtDialogServices dialogs;
    test::whenModalShown([](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        QVERIFY(box != nullptr);
        QCOMPARE(box->windowTitle(), QStringLiteral("Tickora"));
        QCOMPARE(box->text(), QStringLiteral("超出定时范围，请重新输入定时时间或晶体频率"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(buttonTexts(box), QStringList{QStringLiteral("确定")});
        QTest::keyClick(box, Qt::Key_Return);
    });
    dialogs.showMessage(QStringLiteral("超出定时范围，请重新输入定时时间或晶体频率"));
    QVERIFY(test::modalSeen());
}

void TestDialogs::inputDialogAnswers_data() {
    QTest::addColumn<QString>("typed"); // null: leave the default alone
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("answer");

    // clang-format off
    QTest::newRow("OK keeps the default") << QString() << int(Qt::Key_Return) << "12";
    QTest::newRow("OK gives the edited line") << "11.0592" << int(Qt::Key_Return) << "11.0592";
    QTest::newRow("OK on a cleared line") << "" << int(Qt::Key_Return) << "";
    QTest::newRow("Cancel gives nothing") << "20" << int(Qt::Key_Escape) << "";
    // clang-format on
}

void TestDialogs::inputDialogAnswers() {
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, answer);

    QtDialogServices dialogs;
    test::whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        QVERIFY(dialog != nullptr);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("输入频率值"));
        QCOMPARE(dialog->labelText(), QStringLiteral("请输入晶振频率(MHZ)"));
        QCOMPARE(dialog->textValue(), QStringLiteral("12"));
        QCOMPARE(buttonTexts(dialog),
                 (QStringList{QStringLiteral("取消"), QStringLiteral("确定")}));
        auto* line = dialog->findChild<QLineEdit*>();
        if (!typed.isNull()) {
            line->selectAll();
            QTest::keyClick(line, Qt::Key_Delete);
            QTest::keyClicks(line, typed);
        }
        QTest::keyClick(line, Qt::Key(key));
    });
    const QString given = dialogs.askText(QStringLiteral("请输入晶振频率(MHZ)"),
                                          QStringLiteral("输入频率值"), QStringLiteral("12"));
    QVERIFY(test::modalSeen());
    QCOMPARE(given, answer);
}

void TestDialogs::infoWindows_data() {
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<QRect>("label");
    QTest::addColumn<QRect>("button");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("firstLines"); // what the first shown lines read

    // clang-format off
    QTest::newRow("Help") << "VbMenuHelp" << "Form3" << "说明" << QSize(4125 / 15, 2325 / 15)
        << fromTwips(360, 360, 3330, 1260) << fromTwips(1200, 1680, 1575, 375)
        << "这个估计大部分51爱好者都会用吧：      在方式选择栏中先选择定时器工作方式，"
           "输入你需要的定时时间及晶体振荡频率，然后按下计算就可以了。"
           "在定时初始值栏中即可得到你要的值了。"
        << QStringList{"这个估计大部分51爱好者都会用吧："};
    QTest::newRow("About") << "VbMenuAbort" << "form2" << "Tickora" << QSize(4065 / 15, 2355 / 15)
        << fromTwips(360, 120, 3330, 1545) << fromTwips(1200, 1800, 1575, 375)
        << "Quillet：Tickora测试版  REV2.0\n作者：Tickora Team\nDate:2005/2/1\n"
           "本系列软件献给广大懒惰的单片机爱好者 若使用中发现不妥及Bug请通知本人修正 谢谢！\n"
           "作者网址：https://example.org"
        << QStringList{"Quillet：Tickora测试版  REV2.0", "作者：Tickora Team", "Date:2005/2/1"};
    // clang-format on
}

void TestDialogs::infoWindows() {
    QFETCH(QString, item);
    QFETCH(QString, window);
    QFETCH(QString, caption);
    QFETCH(QSize, client);
    QFETCH(QRect, label);
    QFETCH(QRect, button);
    QFETCH(QString, text);
    QFETCH(QStringList, firstLines);

    test::FakeDialogs fake;
    Form1 main(fake, NumberText());
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));

    for (const auto closeKey : {Qt::Key_Return, Qt::Key_Escape}) {
        QPointer<QWidget> shown;
        test::whenModalShown([&](QWidget* modal) {
            shown = modal;
            QCOMPARE(modal->objectName(), window);
            QCOMPARE(modal->windowTitle(), caption);
            QCOMPARE(modal->size(), client);
            QVERIFY(!modal->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
            QVERIFY(!modal->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
            auto* shownText = modal->findChild<QLabel*>(QStringLiteral("Label1"));
            auto* ok = modal->findChild<QPushButton*>(QStringLiteral("Command1"));
            QCOMPARE(shownText->text(), text);
            QCOMPARE(shownText->geometry(), label);
            QCOMPARE(ok->geometry(), button);
            QCOMPARE(ok->text(), QStringLiteral("确定(&E)"));
            QVERIFY(ok->isDefault());
            QVERIFY2(shownText->heightForWidth(shownText->width()) <= shownText->height(),
                     "text is clipped");
            QCOMPARE(shownLines(shownText).mid(0, firstLines.size()), firstLines);
            QTest::keyClick(modal, closeKey);
        });
        main.findChild<QAction*>(item)->trigger();
        QVERIFY(test::modalSeen());
        QTRY_VERIFY(shown.isNull()); // destroyed on close, made anew next time
    }
}

TICKORA_GUI_TEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
