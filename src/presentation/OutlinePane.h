#pragma once

#include <QWidget>

class QLineEdit;
class QListView;

namespace orvane {

class OutlineModel;

/// The viewer's outline pane: a find box over the list of the report's groups
/// (OutlineModel). A click on an entry, or Enter on it, asks for its page
/// (entryActivated). Typing in the list carries on in the find box, which
/// selects the next entry found by number or vendor as the text grows; Enter
/// there shows the entry found, and Enter again the next one.
class OutlinePane : public QWidget
{
    Q_OBJECT
public:
    explicit OutlinePane(QWidget *parent = nullptr);

    OutlineModel *model() const { return m_model; }
    /// The list, objectName "outlineList".
    QListView *list() const { return m_list; }
    /// The find box, objectName "outlineFind".
    QLineEdit *findBox() const { return m_find; }

    /// The highlighted entry (0-based), -1 for none.
    int currentRow() const;
    /// Highlights entry `row` and scrolls it into sight, without asking for its page.
    void setCurrentRow(int row);

signals:
    /// The user chose entry `row` (0-based).
    void entryActivated(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void findFrom(int row);
    void findReturnPressed();

    OutlineModel *m_model = nullptr;
    QLineEdit *m_find = nullptr;
    QListView *m_list = nullptr;
    bool m_foundShown = false;   // Enter in the find box has shown what the text found
};

} // namespace orvane
