// Records every message and question instead of showing a modal dialog.
#pragma once

#include "dialogservices.h"

#include <QList>
#include <QStringList>

namespace tickora::test {

struct Question {
    QString prompt;
    QString caption;
    QString defaultText;
};

class FakeDialogs : public DialogServices {
public:
    void showMessage(const QString& text) override { messages.append(text); }

    QString askText(const QString& prompt, const QString& caption,
                    const QString& defaultText) override {
        questions.append({prompt, caption, defaultText});
        return answers.isEmpty() ? QString() : answers.takeFirst();
    }

    QStringList messages;
    QList<Question> questions;
    QStringList answers; // given in turn; empty text (a cancel) once used up
};

} // namespace tickora::test
