#pragma once

#include <QObject>

class QLineEdit;

namespace orvane {

/// Installs NumericKeyFilter on a QLineEdit: every key press that would type
/// characters is passed through the filter, and a refused key is swallowed.
/// Keys without text (arrows, Home, End, Delete, F-keys), control characters
/// other than Backspace (Tab, Enter, Escape) and shortcuts with Ctrl, Alt or
/// Meta pass untouched. Pasted text is not filtered.
///
///     box->installEventFilter(new NumericKeyEventFilter(box, false));
class NumericKeyEventFilter : public QObject
{
    Q_OBJECT
public:
    /// `box` is the box the filter watches and also its parent (the filter dies with it).
    NumericKeyEventFilter(QLineEdit *box, bool allowDecimal);

    bool allowDecimal() const { return m_allowDecimal; }
    void setAllowDecimal(bool allow) { m_allowDecimal = allow; }

    /// Convenience: creates the filter and installs it on `box`.
    static NumericKeyEventFilter *install(QLineEdit *box, bool allowDecimal);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_box;
    bool m_allowDecimal;
};

} // namespace orvane
