#include "staff/expression_text_dlg.h"

#include "dialogs/field_values.h"
#include "dialogs/song_props_model.h"
#include "dialogs/time_pos_ctrl.h"
#include "staff/symbols/dynamic_marks.h"
#include "staff/model/staff_model.h"
#include "song/song_doc.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

constexpr int kDynamicMarks = 13;

} // namespace

std::string storedExpressionText(const std::string& typed)
{
    for (int index = 0; index < kDynamicMarks; ++index) {
        if (typed == dynamicMarkLetters(index))
            return std::to_string(index);
    }
    return typed;
}

std::string shownExpressionText(const std::string& stored)
{
    const int index = DynamicIndex(stored);
    return index >= 0 ? dynamicMarkLetters(index) : stored;
}

CExpressionTextDlg::CExpressionTextDlg(CSongDoc& song, const ExpressionTextParams& start, QWidget* parent)
    : DialogBase(parent), m_params(start)
{
    setWindowTitle("Expression text");
    const SongText text(shownExpressionText(start.text));
    m_text = new QLineEdit(QString::fromStdString(text.shown()), this);
    m_text->setObjectName("text1203");
    m_position = new CTimePosCtrl(song, std::clamp(start.tick, 0, kMaxDialogTick), 0, this);
    m_position->setObjectName("position1006");
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* form = new QFormLayout;
    form->addRow("Text:", m_text);
    form->addRow("Show at:", m_position);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    const auto enableOk = [this] { m_ok->setEnabled(!m_text->text().isEmpty()); };
    connect(m_text, &QLineEdit::textChanged, this, enableOk);
    enableOk();
}

void CExpressionTextDlg::accept()
{
    if (m_text->text().isEmpty())
        return;
    // An unchanged field keeps the bytes it was opened on.
    const SongText shown(shownExpressionText(m_params.text));
    m_params.text = storedExpressionText(shown.result(m_text->text().toStdString()));
    m_params.tick = std::max(m_position->tick(), 0);
    QDialog::accept();
}

ExpressionTextParams CExpressionTextDlg::params() const
{
    return m_params;
}

} // namespace rz
