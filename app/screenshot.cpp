// Renders the main window, as a user sees it after choosing mode 1, to a PNG file. Runs
// headless: scripts/screenshot.sh starts it on the offscreen platform.
#include "appearance.h"
#include "dialogservices.h"
#include "form1.h"
#include "translation.h"

#include <QApplication>
#include <QRadioButton>

#include <cstdio>

namespace {

// The screenshot shows a successful pass; any message would be a fault worth hearing of.
class ReportingDialogs : public tickora::DialogServices {
public:
    void showMessage(const QString& text) override {
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
    }
    QString askText(const QString&, const QString&, const QString&) override { return {}; }
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.png\n", argv[0]);
        return 2;
    }
    tickora::installChineseQtTranslation(app);
    tickora::applyInterfaceFont(app);
    tickora::applyApplicationIcon(app);

    ReportingDialogs dialogs;
    tickora::Form1 window(dialogs, tickora::NumberText(QLocale(QLocale::Chinese, QLocale::China)));
    window.show();
    window.findChild<QRadioButton*>(QStringLiteral("Option2"))->click();
    QApplication::processEvents();
    return window.grab().save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
