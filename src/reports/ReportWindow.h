#pragma once

#include "DateBox.h"
#include "ReportDefinition.h"
#include "ReportPreparation.h"
#include "ReportQueries.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

class QGridLayout;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

namespace orvane {

class Connection;
class Recordset;
class Report;
class ReportPresenter;

/// The frame of the report parameter windows: a date range, one code box with
/// its name box and lookup button, and Preview, Print and Close.
///
/// It carries every shared behaviour, each in one virtual a window overrides
/// only where it differs: the load step, the key handling (Enter presses a
/// focused button and moves on from anything else, Ctrl+Q closes, F1 in the
/// code box opens the lookup), the code box change, the code validation (run
/// whenever the focus is about to leave the code box, so an unknown code keeps
/// the focus; the date boxes are checked the same way), the lookup button,
/// LookupCode(Mode), PrepareReport() with its parameter checks, no-record
/// outcome and headings, the Preview flow, the Print flow and the Close button.
///
/// The code box takes digits only as typed; pasted text that is not digits
/// between blanks stays in the box and is refused when the box is left.
/// Print prints only what the same press prepared.
///
/// The window deletes itself on close; the showing method creates a new one.
/// The load step runs when the window is first shown.
class ReportWindow : public QWidget
{
    Q_OBJECT
public:
    /// LookupCode modes: 1 checks the typed code only; 3 (and 2) open the
    /// lookup dialog first.
    enum LookupMode { CheckCode = 1, OpenDialogToo = 2, OpenDialog = 3 };

    /// What differs between windows in the standard controls. The defaults are
    /// those of the purchase return summary.
    struct Controls
    {
        ReportKind kind = ReportKind::PurchaseReturnSummary;
        QString caption;                     // "" = the report's caption (ReportDefinition)

        QString fromDateName = QStringLiteral("DtpFromDate");
        QString toDateName = QStringLiteral("dtpToDate");
        QString fromDateLabel = QStringLiteral("From Date");
        QString toDateLabel = QStringLiteral("To Date");

        QString codeBoxName = QStringLiteral("TxtVendorID");
        QString nameBoxName = QStringLiteral("TxtVendorName");
        QString lookupButtonName = QStringLiteral("BtnSchVendor");
        QString codeLabel = QStringLiteral("Vendor");
        QString nameLabel;                   // "" = no label of its own before the name box
        int codeMaxLength = 10;
        int nameMaxLength = 30;

        QString previewText = QStringLiteral("Pre&view");
        QString printText = QStringLiteral("&Print");
        QString closeText = QStringLiteral("&Close");

        // Object names of the labels ("" leaves them unnamed).
        QString fromLabelName;
        QString toLabelName;
        QString codeLabelName;
        QString nameLabelName;
    };

    /// The code and name a lookup dialog handed back ("" when cancelled).
    struct LookupChoice
    {
        QString code;
        QString name;
    };

    ~ReportWindow() override;

    ReportKind kind() const { return m_controls.kind; }
    QString caption() const { return windowTitle(); }

    /// True when the code names a record of the window's kind, whose name is
    /// then in the name box. Errors end in ShowError with false.
    virtual bool LookupCode(int Mode);

    /// Prepares the report (ReportPreparation): checks the parameters, runs
    /// the report query into ReportRecordset and, when rows came back, makes a
    /// new report of the window's layout with its headings set and rows bound,
    /// held by the window until Preview shows it or Print prints it. False on a
    /// refusal (after its message), on no rows (after "No record exists.") or
    /// on an error (after ShowError). The busy pointer shows meanwhile and is
    /// always reset.
    virtual bool PrepareReport();

    /// The report the last preparation made, until Preview or Print takes it
    /// (null otherwise).
    Report *preparedReport() const { return m_report.get(); }

    /// The last SQL text the window built (preparation, company name, lookup).
    QString queryText() const { return m_queryText; }

    /// The window's own recordset, created on first use and reused by each
    /// preparation. Never null.
    Recordset &ReportRecordset();

    /// The viewer window the last Preview of this window opened (null before,
    /// and once the user has closed it).
    QWidget *lastViewer() const;

    /// The parameters as typed: dates, code, and whatever the window adds
    /// (parameters() is virtual).
    virtual ReportParameters parameters() const;

    // The standard controls.
    DateBox *fromDate() const { return m_fromDate; }
    DateBox *toDate() const { return m_toDate; }
    QLineEdit *codeBox() const { return m_codeBox; }
    QLineEdit *nameBox() const { return m_nameBox; }
    QPushButton *lookupButton() const { return m_lookupButton; }
    QPushButton *previewButton() const { return m_preview; }
    QPushButton *printButton() const { return m_print; }
    QPushButton *closeButton() const { return m_close; }
    QLabel *image() const { return m_image; }

    /// The load step, run once per window (it is also run by the first show).
    void ensureLoaded();

public slots:
    void previewClicked();   // the Preview flow
    void printClicked();     // the Print flow
    void closeClicked();     // the Close button
    void lookupClicked();    // the lookup button

protected:
    explicit ReportWindow(const Controls &controls, QWidget *parent = nullptr);

    // --- What a window states -------------------------------------------

    /// Opens the lookup dialog of the window's code (vendors, products or
    /// companies) modally, owner null meaning none, and returns its hand-back.
    LookupChoice showLookup(QWidget *owner);

    /// Accepts what the date boxes hold, then runs the preparation's checks
    /// (the name box's text standing for the code's name); a refusal is shown
    /// and the focus put on the entry to correct. False when anything was
    /// refused.
    bool checkParameters();
    /// The control behind a parameter (null when the window has none).
    virtual QWidget *parameterWidget(ParameterInput field) const;

    // --- Named behaviours, each replaceable --------------------------------

    /// Load step: From date from the host's default-date provider, To date today.
    virtual void loadStep();

    /// Key handling, seen before the focused control. Returns true when the key
    /// is used up. Default: Enter presses a focused button and otherwise moves
    /// the focus on (checking the code or date box first), Ctrl+Q runs the
    /// Close handler when Close is enabled, F1 in the code box runs f1Lookup().
    virtual bool keyHandling(QKeyEvent *event);
    /// F1 in the code box: the lookup without owner; a choice's code then name
    /// copied back, with no database check; Cancel leaves both boxes as they
    /// were. True when something was chosen.
    virtual bool f1Lookup();

    /// Code box change: clears the name box.
    virtual void codeBoxChanged(const QString &text);

    /// Code validation. Returns the event's Cancel: true keeps the focus in the
    /// code box. Default: an empty code passes; else LookupCode(1), then
    /// LookupCode(3) when that fails.
    virtual bool codeValidation();

    /// The flows behind the buttons.
    virtual void previewFlow();
    virtual void printFlow();
    virtual void closeFlow();

    /// A mouse click in the code box (default: nothing).
    virtual void codeBoxClicked() {}

    // --- Helpers for the windows ---------------------------------------------

    /// The shared connection; throws Error when InitializeClass has not run.
    std::shared_ptr<Connection> connection() const;

    /// The preparation of this window's report over the shared connection.
    ReportPreparation preparation() const;

    /// Runs the report query into ReportRecordset (the query text becomes
    /// it). Throws Error.
    void readReportRows();

    /// Makes the report over ReportRecordset (ReportPreparation::makeReport
    /// with the name box's text), held until Preview or Print takes it; the
    /// company-name query, when the report has one, becomes the query text.
    /// Throws Error.
    void makeReport();

    /// Takes the prepared report out of the window (null when there is none).
    std::unique_ptr<Report> takeReport();

    /// Remembers the viewer window a Preview opened (lastViewer()).
    void setLastViewer(QWidget *viewer) { m_lastViewer = viewer; }

    /// The presenter the thread's SharedState holds; throws Error when there is none.
    static ReportPresenter &presenter();

    /// The no-record outcome: "No record exists." (64) titled with the caption.
    void showNoRecord();

    /// Sets the query text (windows that build their own SQL).
    void setQueryText(const QString &sql) { m_queryText = sql; }

    /// The form grid: rows 0 and 1 hold the dates, row 2 the code; column 0
    /// labels, 1 the first field, 2 and 3 further fields. Extra rows go after.
    QGridLayout *form() const { return m_form; }
    /// Adds a labelled row below the existing ones: label in column 0, `field`
    /// in column 1 (spanning `span` columns). Returns the label.
    QLabel *addFormRow(const QString &labelText, QWidget *field, const QString &labelName = {},
                       int span = 1);
    /// The row of buttons under the form.
    QHBoxLayout *buttonRow() const { return m_buttons; }

    /// Sets the focus chain, first to last (Tab and Enter follow it).
    void setTabOrderChain(const QList<QWidget *> &chain);

    /// Shows the busy pointer on a window for its lifetime.
    class BusyPointer
    {
    public:
        explicit BusyPointer(QWidget *window);
        ~BusyPointer();
        BusyPointer(const BusyPointer &) = delete;
        BusyPointer &operator=(const BusyPointer &) = delete;

    private:
        QPointer<QWidget> m_window;
    };

    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void buildDateRows();
    void buildCodeRow();
    QLabel *makeLabel(const QString &text, const QString &name);
    void focusChanged(QWidget *old, QWidget *now);
    bool belongsHere(const QObject *object) const;
    /// Runs the code validation for one leave of the code box; true = may leave.
    bool mayLeaveCodeBox();
    /// Checks the code box or a date box as the focus leaves it (any other
    /// control may always be left); a refusal keeps the focus there.
    bool mayLeave(QWidget *from);
    bool isCheckedOnLeave(const QWidget *widget) const;
    void moveFocusOn(bool forward);

    /// How the last PrepareReport of this window ended.
    enum class Preparation { Ready, NoRows, Stopped };

    Controls m_controls;
    QString m_queryText;
    Preparation m_preparation = Preparation::Stopped;
    std::shared_ptr<Recordset> m_reportRecordset;
    std::unique_ptr<Report> m_report;
    QPointer<QWidget> m_lastViewer;

    bool m_loaded = false;
    bool m_validating = false;      // no second validation while the lookup is open
    bool m_leaveValidated = false;  // this leave of the code box was already validated
    enum { SwallowNone, SwallowPending } m_swallowClick = SwallowNone;
    Qt::FocusReason m_lastFocusReason = Qt::OtherFocusReason;

    DateBox *m_fromDate = nullptr;
    DateBox *m_toDate = nullptr;
    QLineEdit *m_codeBox = nullptr;
    QLineEdit *m_nameBox = nullptr;
    QPushButton *m_lookupButton = nullptr;
    QPushButton *m_preview = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_close = nullptr;
    QLabel *m_image = nullptr;
    QGridLayout *m_form = nullptr;
    QHBoxLayout *m_buttons = nullptr;
};

} // namespace orvane
