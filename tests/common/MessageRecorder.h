#pragma once

// Records the component's message boxes instead of showing them.

#include "MessageBox.h"

#include <QList>
#include <QString>

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

    QString texts() const
    {
        QStringList all;
        for (const RecordedBox &b : boxes)
            all << b.text;
        return all.join(QLatin1String(" | "));
    }

    QList<RecordedBox> boxes;
};

} // namespace orvane::test
