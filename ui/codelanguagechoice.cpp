#include "codelanguagechoice.h"

#include "qtext.h"

#include <QActionGroup>
#include <QComboBox>
#include <QMenu>
#include <QSettings>

namespace tickora {
namespace {

const QString settingKey = QStringLiteral("code/language");

} // namespace

CodeLanguageChoice& CodeLanguageChoice::instance() {
    static CodeLanguageChoice choice;
    return choice;
}

// Read each time rather than kept, so that what the settings hold is the one truth.
CodeLanguage CodeLanguageChoice::language() {
    const auto* row = findCodeLanguage(QSettings().value(settingKey).toString().toStdString());
    return row != nullptr ? row->language : CodeLanguage::C;
}

void CodeLanguageChoice::choose(CodeLanguage language) {
    QSettings().setValue(settingKey, toQString(languageRow(language).id));
    emit chosen(language);
}

QComboBox* createLanguageBox(QWidget* parent, const layout::Twips& where) {
    auto* box = layout::place(new QComboBox(parent), "languageBox", where);
    for (const CodeLanguageRow& row : codeLanguages())
        box->addItem(toQString(row.label), int(row.language));
    const auto show = [box](CodeLanguage language) {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(box->findData(int(language)));
    };
    show(CodeLanguageChoice::language());
    auto& choice = CodeLanguageChoice::instance();
    QObject::connect(&choice, &CodeLanguageChoice::chosen, box, show);
    QObject::connect(box, &QComboBox::currentIndexChanged, box, [box] {
        CodeLanguageChoice::instance().choose(CodeLanguage(box->currentData().toInt()));
    });
    return box;
}

QMenu* createLanguageMenu(const QString& title, QWidget* parent) {
    auto* menu = new QMenu(title, parent);
    menu->setObjectName(QStringLiteral("languageMenu"));
    auto* group = new QActionGroup(menu);
    for (const CodeLanguageRow& row : codeLanguages()) {
        QAction* item = menu->addAction(toQString(row.label));
        item->setObjectName(QStringLiteral("language_") + toQString(row.id));
        item->setCheckable(true);
        item->setData(int(row.language));
        item->setChecked(row.language == CodeLanguageChoice::language());
        group->addAction(item);
        const CodeLanguage language = row.language;
        QObject::connect(item, &QAction::triggered, menu,
                         [language] { CodeLanguageChoice::instance().choose(language); });
    }
    QObject::connect(&CodeLanguageChoice::instance(), &CodeLanguageChoice::chosen, menu,
                     [group](CodeLanguage language) {
                         for (QAction* item : group->actions())
                             item->setChecked(item->data().toInt() == int(language));
                     });
    return menu;
}

} // namespace tickora
