#include "set/ui/new_song_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "set/new_document_target.h"
#include "core/song_host.h"
#include "set/set_document.h"
#include "song/clipboard.h"
#include "ui/local_path.h"

#include <QCheckBox>
#include <QCoreApplication>
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

constexpr int kFirstSourceRow = 2;

bool lessIgnoringCase(const std::string& a, const std::string& b)
{
    return QString::fromStdString(a).compare(QString::fromStdString(b), Qt::CaseInsensitive) < 0;
}

// Every template, sorted by title: the order a folder lists its files in
// means nothing here.
std::vector<std::filesystem::path> templates()
{
    std::vector<std::filesystem::path> found;
    for (const std::filesystem::path& folder : CNewSongDlg::templateFolders()) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
            const std::filesystem::path& path = it->path();
            if (path.extension() == ".mid" && it->is_regular_file(error))
                found.push_back(path);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return lessIgnoringCase(a.stem().string(), b.stem().string());
    });
    return found;
}

std::string documentsFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString() + "/";
}

} // namespace

CNewSongDlg::CNewSongDlg(IProfile& profile, IPrompt& prompt, const SetDocument& set, bool forcedSong,
                         QWidget* parent)
    : DialogBase(parent), m_profile(profile), m_prompt(prompt), m_set(set), m_forcedSong(forcedSong)
{
    setWindowTitle("New...");
    makeSourceList();
    layOut();
    m_setLocation = readSetting(m_profile, settings::kNewSongDefPath) != 0
                        ? readSettingTextOr(m_profile, settings::kNewSongPath, documentsFolder())
                        : documentsFolder();
    m_songLocation = m_set.hasSetFile() ? m_set.setFolder().string() : m_setLocation;
    connectControls();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(false);
    selectStartRow();
}

// An empty set or song, a copy of the clipboard's song, and the templates.
void CNewSongDlg::makeSourceList()
{
    m_list = new QListWidget(this);
    m_list->setViewMode(QListView::IconMode);
    m_list->setStyleSheet("QListWidget { background: rgb(206, 204, 209); }");
    m_list->addItems({"Empty Set", "Empty Song"});
    const AppClipboard& clipboard = m_set.songContext().host.clipboard();
    if ((clipboard.kind & kClipboardSong) != 0 && !clipboard.songPath.empty()) {
        m_list->addItem("Copy of song");
        m_sources.push_back(clipboard.songPath);
    }
    for (const std::filesystem::path& path : templates()) {
        m_list->addItem(qtPath(path.stem()));
        m_sources.push_back(path);
    }
}

void CNewSongDlg::layOut()
{
    m_name = new QLineEdit(this);
    m_location = new QLineEdit(this);
    auto* browseButton = new QPushButton("...", this);
    m_addToSet = new QCheckBox("Add new song to current set", this);
    m_addToSet->setChecked(true);
    m_buttons = buttonRow();

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
    connect(browseButton, &QPushButton::clicked, this, [this] { browse(); });
}

void CNewSongDlg::connectControls()
{
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
}

void CNewSongDlg::selectStartRow()
{
    // The stored row keeps its meaning: rows past the list fall back to a song.
    int row = 0;
    if (m_forcedSong)
        row = std::min(kFirstSourceRow, m_list->count() - 1);
    else if (m_set.hasSetFile()) {
        row = readSetting(m_profile, settings::kNewSongTemplate);
        if (row < 0 || row >= m_list->count())
            row = 1;
    }
    m_list->setCurrentRow(row);
    selectRow(row);
}

std::vector<std::filesystem::path> CNewSongDlg::templateFolders()
{
    std::vector<std::filesystem::path> folders{
        localPath(QCoreApplication::applicationDirPath()) / "templates"};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::AppDataLocation))
        folders.push_back(localPath(data) / "templates");
    return folders;
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
    if (const auto folder = m_prompt.chooseFolder(title, localPath(m_location->text()))) {
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
    m_templatePath = m_kind >= kFirstSourceRow && size_t(m_kind - kFirstSourceRow) < m_sources.size()
                         ? m_sources[size_t(m_kind - kFirstSourceRow)]
                         : std::filesystem::path();
    if (m_kind > 0 && !m_forcedSong)
        writeSetting(m_profile, settings::kNewSongTemplate, m_kind);
    if (readSetting(m_profile, settings::kNewSongDefPath) != 0) {
        if (m_kind == 0)
            writeSettingText(m_profile, settings::kNewSongPath, m_setLocation);
        else if (!(m_set.hasSetFile() && std::filesystem::path(m_songLocation) == m_set.setFolder()))
            writeSettingText(m_profile, settings::kNewSongPath, m_songLocation);
    }
    QDialog::accept();
}

} // namespace rz
