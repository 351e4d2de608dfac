#include "engine/ui/edit_patch_dlg.h"

#include "core/text_codec.h"
#include "engine/synthdb/patch_number_entry.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rz {

namespace {

QString shown(const std::string& bytes)
{
    return QString::fromStdString(decodeText(bytes));
}

// Text left as shown keeps its stored bytes, whatever their encoding.
std::string keptOrTyped(const std::string& stored, const QString& typed)
{
    return typed == shown(stored) ? stored : typed.toStdString();
}

} // namespace

CEditPatchDlg::CEditPatchDlg(const ItemEditRequest& request, QWidget* parent)
    : DialogBase(parent), m_request(request), m_number(request.number)
{
    setWindowTitle(QString::fromStdString(request.title));
    m_numberEdit = new QLineEdit(this);
    m_nameEdit = new QLineEdit(this);
    m_nameEdit->setMaxLength(kMaxNameLength);
    m_nameEdit->setText(shown(request.name));
    m_category = new QComboBox(this);
    m_category->setEditable(true);
    m_category->setInsertPolicy(QComboBox::InsertAlphabetically);
    m_category->lineEdit()->setMaxLength(kMaxCategoryLength);
    for (const auto& category : request.categories)
        m_category->addItem(shown(category));
    m_category->model()->sort(0);
    m_category->setEditText(shown(request.category));
    m_category->setEnabled(request.title.find("Patch") != std::string::npos);
    // The notation dialog belongs to the staff: hidden until the program hands over its opener.
    m_schema = new QPushButton("Note &schema...", this);
    m_schema->setVisible(false);

    auto* form = new QFormLayout;
    form->addRow("Number:", m_numberEdit);
    form->addRow("Name:", m_nameEdit);
    form->addRow("Category:", m_category);
    auto* buttons = buttonRow();
    m_ok = buttons->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_schema);
    layout->addWidget(buttons);

    connect(m_numberEdit, &QLineEdit::textEdited, this, [this](const QString& text) { numberTyped(text); });
    connect(m_numberEdit, &QLineEdit::editingFinished, this, [this] { showNumber(); });
    connect(m_nameEdit, &QLineEdit::textChanged, this, [this] { updateOk(); });
    connect(m_schema, &QPushButton::clicked, this, [this] {
        if (m_openSchema)
            m_openSchema(this);
    });
    showNumber();
    updateOk();
}

void CEditPatchDlg::setSchemaOpener(std::function<void(QWidget* parent)> opener)
{
    m_openSchema = std::move(opener);
    m_schema->setVisible(m_request.schemaButton && m_openSchema);
}

void CEditPatchDlg::numberTyped(const QString& text)
{
    m_number = parseEditNumber(text.toStdString(), m_request.lowerBound, m_request.upperBound);
    updateOk();
}

void CEditPatchDlg::showNumber()
{
    m_numberEdit->setText(QString::fromStdString(formatEditNumber(m_number, m_request.upperBound)));
}

void CEditPatchDlg::updateOk()
{
    const bool named = !m_nameEdit->text().trimmed().isEmpty();
    const bool inBounds = m_number >= m_request.lowerBound && m_number <= m_request.upperBound;
    m_ok->setEnabled(named && inBounds);
}

std::string CEditPatchDlg::name() const
{
    return keptOrTyped(m_request.name, m_nameEdit->text());
}

std::string CEditPatchDlg::category() const
{
    return keptOrTyped(m_request.category, m_category->currentText());
}

} // namespace rz
