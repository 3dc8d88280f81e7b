// SPDX-License-Identifier: GPL-3.0-or-later

#include "printing/Unit18.h"

#include "printing/Unit19.h"
#include "store/funUnit.h"
#include "store/records/TaskArrays.h"
#include "uikit/MessageBox.h"
#include "uikit/Reporting.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

namespace {

constexpr const char* NotANumber = "Error, please intput valid number!";
constexpr const char* NotPositive = "Error, please intput positive number!";

// The sizes of the named papers in centimetres, in the order of the page size list.
struct TPaperSize {
    const char* height;
    const char* width;
};
constexpr std::array<TPaperSize, 6> PaperSizes = {{{"29.70", "21.00"},
                                                   {"21.00", "14.80"},
                                                   {"35.56", "21.59"},
                                                   {"27.94", "21.59"},
                                                   {"36.40", "25.70"},
                                                   {"25.70", "18.20"}}};
constexpr int CustomItem = 6;

// A size box's text as a number, written and read with "." whatever the user's locale;
// none when it is not a number.
std::optional<double> SizeValue(const QString& trimmed) {
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Why a box's text is not a size, or null when it is one: not a number, or not above 0.
const char* SizeRefusal(const QString& trimmed) {
    const std::optional<double> value = SizeValue(trimmed);
    if (!value)
        return NotANumber;
    return *value > 0 ? nullptr : NotPositive;
}

// Centimetres in tenths of a millimetre, rounded; kept within what the job's field holds.
int32_t Tenths(double centimetres) {
    const double tenths =
        std::clamp(centimetres * 100, 0.0, double(std::numeric_limits<int32_t>::max()));
    return static_cast<int32_t>(std::lround(tenths));
}

} // namespace

TForm18::TForm18(const TTaskArrays& tasks, TForm19& preview, QWidget* parent)
    : TSkinnedDialog("Form18", TFrameKind::Dialog, "Print", parent), tasks_(tasks),
      preview_(preview) {
    setFixedSize(447, 392);
    CreateControls();
    NameControls();
    SetTabOrder();
    ConnectReporting(CheckBox5, &QCheckBox::toggled, this, &TForm18::CheckBox5Click);
    ConnectReporting(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm18::ComboBox1Change);
    ConnectReporting(BitBtn1, &QPushButton::clicked, this, &TForm18::BitBtn1Click);
    ConnectReporting(BitBtn2, &QPushButton::clicked, this, &TForm18::BitBtn2Click);
    connect(BitBtn3, &QPushButton::clicked, this, &QDialog::reject);
    Edit1->installEventFilter(this);
    Edit2->installEventFilter(this);
}

void TForm18::FormShow() {
    // The task options, each time; unchecking "Separate Categories" runs its rule.
    CheckBox5->setChecked(false);
    CheckBox6->setChecked(false);
    CheckBox7->setChecked(false);
    CheckBox8->setChecked(true);
    CheckBox1->setChecked(true);
    CheckBox2->setChecked(false);
    CheckBox2->setEnabled(false);
    CheckBox3->setChecked(true);
    CheckBox4->setChecked(true);
    if (AllCategories) {
        CheckBox5->setChecked(true);
        CheckBox5->setEnabled(true);
        CheckBox6->setChecked(false);
        CheckBox6->setEnabled(true);
    } else {
        CheckBox5->setChecked(false);
        CheckBox5->setEnabled(false);
        CheckBox6->setChecked(false);
        CheckBox6->setEnabled(false);
    }
    // The page size group, only the first time.
    if (!SizeInitialised) {
        ComboBox1->setCurrentIndex(0);
        Edit1->setEnabled(false);
        Edit2->setEnabled(false);
        Edit1->setText(PaperSizes[0].height);
        Edit2->setText(PaperSizes[0].width);
        RadioButton1->setChecked(true);
        RadioButton2->setChecked(false);
        SizeInitialised = true;
    }
    BitBtn1->setFocus();
}

// The category column and the category headings exclude each other.
void TForm18::CheckBox5Click() {
    if (CheckBox5->isChecked()) {
        CheckBox6->setEnabled(true);
        CheckBox2->setChecked(false);
        CheckBox2->setEnabled(false);
    } else {
        CheckBox6->setChecked(false);
        CheckBox6->setEnabled(false);
        CheckBox2->setChecked(true);
        CheckBox2->setEnabled(true);
    }
}

void TForm18::ComboBox1Change() {
    const int item = ComboBox1->currentIndex();
    Edit1->setEnabled(false);
    Edit2->setEnabled(false);
    if (item >= 0 && item < CustomItem) {
        Edit1->setText(PaperSizes[static_cast<size_t>(item)].height);
        Edit2->setText(PaperSizes[static_cast<size_t>(item)].width);
        return;
    }
    Edit1->clear();
    Edit2->clear();
    Edit1->setEnabled(true);
    Edit2->setEnabled(true);
    Edit1->setFocus();
}

bool TForm18::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == Edit1 || watched == Edit2) && event->type() == QEvent::FocusOut) {
        // A message box, a menu or another window taking the focus leaves it in the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            const QWidget* next = QApplication::focusWidget();
            const bool toButton = next == BitBtn1 || next == BitBtn2 || next == BitBtn3;
            auto* box = static_cast<QLineEdit*>(watched);
            RunReportingErrors(this, [&] { SizeBoxExit(box, !toButton); });
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm18::SizeBoxExit(QLineEdit* box, bool report) {
    const QString text = box->text().trimmed();
    if (text.isEmpty()) {
        box->clear();
        return;
    }
    const std::optional<double> value = SizeValue(text);
    if (value && *value == 0) {
        box->clear();
        return;
    }
    if (value && *value > 0) {
        box->setText(QString::fromStdString(FormatTwoDecimals(*value)));
        return;
    }
    if (!report)
        return;
    // The message waits until the press that took the focus away has been handled: a control
    // pressed while a message box opens would stay pressed, its release going to the box.
    QTimer::singleShot(0, this, [this, box] {
        RunReportingErrors(this, [&] {
            if (const char* refusal = SizeRefusal(box->text().trimmed()))
                Refuse(box, refusal);
        });
    });
}

void TForm18::Refuse(QLineEdit* box, const char* message) {
    ShowErrorBox(this, message);
    box->setFocus();
}

// Nothing is handed over from an empty box, nor from one that does not hold a size: Enter
// presses "Print" while the focus may still be in a box whose own check has not run.
void TForm18::HandOver(bool preview) {
    const std::pair<QLineEdit*, const char*> boxes[] = {
        {Edit1, "Error, page height can not be empty!"},
        {Edit2, "Error, page width can not be empty!"}};
    for (const auto& [box, empty] : boxes)
        if (box->text().trimmed().isEmpty()) {
            Refuse(box, empty);
            return;
        }
    for (QLineEdit* box : {Edit1, Edit2})
        if (const char* refusal = SizeRefusal(box->text().trimmed())) {
            Refuse(box, refusal);
            return;
        }
    TPrintJob& job = preview_.PrintJob;
    job.Landscape = RadioButton1->isChecked() ? 0 : 1;
    job.PageHeight = Tenths(*SizeValue(Edit1->text().trimmed()));
    job.PageWidth = Tenths(*SizeValue(Edit2->text().trimmed()));
    job.PageSize = ComboBox1->currentIndex();
    job.Tasks = tasks_.PrintCopies(CheckBox7->isChecked());
    job.AllCategories = AllCategories;
    job.CategoryName = CategoryName;
    job.ShowPriority = CheckBox1->isChecked();
    job.ShowCategory = CheckBox2->isChecked();
    job.ShowReminder = CheckBox3->isChecked();
    job.ShowDueDate = CheckBox4->isChecked();
    job.SeparateCategories = CheckBox5->isChecked();
    job.CategoryPerPage = CheckBox6->isChecked();
    job.OnlyUncompleted = CheckBox7->isChecked();
    job.PrintNotes = CheckBox8->isChecked();
    job.PreviewMode = preview;
    if (preview) {
        preview_.exec();
        return;
    }
    preview_.FormShow();
    preview_.BitBtn2Click();
}

void TForm18::BitBtn1Click() {
    HandOver(false);
}

void TForm18::BitBtn2Click() {
    HandOver(true);
}
