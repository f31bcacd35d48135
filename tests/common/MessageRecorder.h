#pragma once

// Records the component's message boxes instead of showing them.

#include "MessageBox.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace orvane::test {

struct RecordedBox
{
    QString text;
    int style = 0;
    QString title;
};

class MessageRecorder
{
public:
    MessageRecorder()
    {
        setMessageBoxHandler([this](const QString &text, int style, const QString &title) {
            boxes.append({text, style, title});
            return 1;
        });
    }
    ~MessageRecorder() { setMessageBoxHandler({}); }

    MessageRecorder(const MessageRecorder &) = delete;
    MessageRecorder &operator=(const MessageRecorder &) = delete;

    /// The texts shown, in order, joined by " | ".
    QString texts() const
    {
        QStringList all;
        for (const RecordedBox &b : boxes)
            all << b.text;
        return all.join(QLatin1String(" | "));
    }

    /// Each box whole, as "style title: text", joined by " | ".
    QString shown() const
    {
        QStringList all;
        for (const RecordedBox &b : boxes)
            all << describe(b.style, b.title, b.text);
        return all.join(QLatin1String(" | "));
    }

    static QString describe(int style, const QString &title, const QString &text)
    {
        return QStringLiteral("%1 %2: %3").arg(style).arg(title, text);
    }

    QList<RecordedBox> boxes;
};

} // namespace orvane::test
