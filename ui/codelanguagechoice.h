// The language every window copies code in: one setting, so a choice made in one window holds
// in the others, and each control that shows it follows a choice made elsewhere.
#pragma once

#include "codelanguage.h"
#include "layout.h"

#include <QObject>

class QComboBox;
class QMenu;
class QWidget;

namespace tickora {

class CodeLanguageChoice : public QObject {
    Q_OBJECT
public:
    static CodeLanguageChoice& instance();

    // As saved; C at first, or when what was saved is no longer offered.
    static CodeLanguage language();
    void choose(CodeLanguage language);

signals:
    void chosen(CodeLanguage language);
};

// A list of the languages that shows and makes the choice.
QComboBox* createLanguageBox(QWidget* parent, const layout::Twips& where);
// A menu of the languages, one checked, that shows and makes the choice.
QMenu* createLanguageMenu(const QString& title, QWidget* parent);

} // namespace tickora
