#include "set/ui/new_song_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "set/new_document_target.h"
#include "set/set_document.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>

namespace rz {
namespace {

constexpr const char* kSection = "SaveOptions";
constexpr int kRowCount = 2;

std::string documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString() + "/";
}

} // namespace

CNewSongDlg::CNewSongDlg(IProfile& profile, IPrompt& prompt, const SetDocument& set, bool forcedSong,
                         QWidget* parent)
    : QDialog(parent), m_profile(profile), m_prompt(prompt), m_set(set), m_forcedSong(forcedSong)
{
    setWindowTitle("New...");
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setStyleSheet("QListWidget { background: rgb(206, 204, 209); }");
    m_list->addItems({"Empty Set", "Empty Song"});
    m_name = new QLineEdit(this);
    m_location = new QLineEdit(this);
    auto* browseButton = new QPushButton("...", this);
    m_addToSet = new QCheckBox("Add new song to current set", this);
    m_addToSet->setChecked(true);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* locationRow = new QHBoxLayout;
    locationRow->addWidget(m_location);
    locationRow->addWidget(browseButton);
    auto* form = new QFormLayout;
    form->addRow("Name:", m_name);
    form->addRow("Location:", locationRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addLayout(form);
    layout->addWidget(m_addToSet);
    layout->addWidget(m_buttons);

    m_setLocation = m_profile.readInt(kSection, "DefPath", 0) != 0
                        ? m_profile.readString(kSection, "Path", documentsFolder())
                        : documentsFolder();
    m_songLocation = m_set.hasSetFile() ? m_set.setFolder().string() : m_setLocation;

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) { selectRow(row); });
    connect(m_addToSet, &QCheckBox::toggled, this, [this](bool on) {
        m_songLocation = on && m_set.hasSetFile() ? m_set.setFolder().string() : m_setLocation;
        updateLocation();
    });
    connect(m_location, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_setLocation = m_songLocation = text.toStdString();
    });
    connect(m_name, &QLineEdit::textChanged, this, [this](const QString& text) {
        m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.isEmpty());
    });
    connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CNewSongDlg::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &CNewSongDlg::reject);
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);

    // The stored row keeps its meaning: rows past the list fall back to a song.
    int row = 0;
    if (m_forcedSong)
        row = 1;
    else if (m_set.hasSetFile()) {
        row = m_profile.readInt(kSection, "Template", 1);
        if (row < 0 || row >= kRowCount)
            row = 1;
    }
    m_list->setCurrentRow(row);
    selectRow(row);
}

bool CNewSongDlg::addToSet() const
{
    return m_addToSet->isEnabled() && m_addToSet->isChecked();
}

void CNewSongDlg::selectRow(int row)
{
    m_kind = std::max(row, 0);
    m_addToSet->setEnabled(m_kind > 0 && m_set.hasSetFile());
    updateLocation();
}

void CNewSongDlg::updateLocation()
{
    m_location->setText(QString::fromStdString(m_kind > 0 ? m_songLocation : m_setLocation));
}

void CNewSongDlg::browse()
{
    const char* title = m_kind > 0 ? "Choose a location for the new song."
                                   : "Choose a location for the new set.";
    if (const auto folder = m_prompt.chooseFolder(title, m_location->text().toStdString())) {
        m_setLocation = m_songLocation = folder->string();
        updateLocation();
    }
}

void CNewSongDlg::accept()
{
    const std::string location = m_location->text().toStdString();
    const auto target = resolveNewTarget(m_kind, m_name->text().toStdString(), location);
    if (const auto* message = std::get_if<std::string>(&target)) {
        m_prompt.message(*message, PromptIcon::Warning);
        return;
    }
    m_path = std::get<std::filesystem::path>(target);
    if (m_kind > 0 && !m_forcedSong)
        m_profile.writeInt(kSection, "Template", m_kind);
    if (m_profile.readInt(kSection, "DefPath", 0) != 0) {
        if (m_kind == 0)
            m_profile.writeString(kSection, "Path", m_setLocation);
        else if (!(m_set.hasSetFile() && std::filesystem::path(m_songLocation) == m_set.setFolder()))
            m_profile.writeString(kSection, "Path", m_songLocation);
    }
    QDialog::accept();
}

} // namespace rz
