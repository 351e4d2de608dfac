#include "engine/ui/soundfont_dlg.h"

#include "core/profile.h"
#include "core/prompt.h"
#include "core/settings.h"
#include "platform/soundfont_banks.h"
#include "ui/local_path.h"

#include <memory>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <chrono>
#include <cstdio>
#include <future>

namespace rz {
namespace {

constexpr int kDataRole = Qt::UserRole;

std::string withNumber(const char* format, int number)
{
    char text[128];
    std::snprintf(text, sizeof text, format, number);
    return text;
}

std::string withText(const char* format, const std::string& value)
{
    std::string text(format);
    const size_t at = text.find("%s");
    return at == std::string::npos ? text : text.replace(at, 2, value);
}

QSpinBox* spin(int low, int high, int value, QWidget* parent)
{
    auto* box = new QSpinBox(parent);
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

} // namespace

CLoadSoundFontDlg::CLoadSoundFontDlg(const LoadSoundFontChoice& start, QWidget* parent)
    : DialogBase(parent), m_start(start)
{
    setWindowTitle("Load SoundFont");
    m_file = new QLineEdit(qtPath(start.path.filename()), this);
    m_file->setReadOnly(true);
    m_entire = new QRadioButton("Load entire file", this);
    m_selected = new QRadioButton("Load only a selected patch", this);
    m_sourceBank = spin(0, 127, start.sourceBank, this);
    m_sourcePatch = spin(1, 128, start.sourcePatch, this);
    m_targetBank = spin(0, 127, start.targetBank, this);
    m_targetPatch = spin(1, 128, start.targetPatch, this);
    (start.mode == LoadSoundFontChoice::SelectedPatch ? m_selected : m_entire)->setChecked(true);

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel("File:", this), 0, 0);
    grid->addWidget(m_file, 0, 1, 1, 3);
    grid->addWidget(m_entire, 1, 0, 1, 2);
    grid->addWidget(m_selected, 1, 2, 1, 2);
    grid->addWidget(new QLabel("Source bank:", this), 2, 0);
    grid->addWidget(m_sourceBank, 2, 1);
    grid->addWidget(new QLabel("Source patch:", this), 2, 2);
    grid->addWidget(m_sourcePatch, 2, 3);
    grid->addWidget(new QLabel("Target bank:", this), 3, 0);
    grid->addWidget(m_targetBank, 3, 1);
    grid->addWidget(new QLabel("Target patch:", this), 3, 2);
    grid->addWidget(m_targetPatch, 3, 3);
    auto* buttons = buttonRow();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    connect(m_entire, &QRadioButton::clicked, this, &CLoadSoundFontDlg::OnModeChange);
    connect(m_selected, &QRadioButton::clicked, this, &CLoadSoundFontDlg::OnModeChange);
    OnModeChange();
}

LoadSoundFontChoice CLoadSoundFontDlg::choice() const
{
    LoadSoundFontChoice chosen = m_start;
    chosen.mode = m_selected->isChecked() ? LoadSoundFontChoice::SelectedPatch
                                          : LoadSoundFontChoice::EntireFile;
    chosen.sourceBank = m_sourceBank->value();
    chosen.sourcePatch = m_sourcePatch->value();
    chosen.targetBank = m_targetBank->value();
    chosen.targetPatch = m_targetPatch->value();
    return chosen;
}

void CLoadSoundFontDlg::OnModeChange()
{
    const LoadSoundFontFields fields = loadFieldStates(choice());
    m_entire->setEnabled(fields.entireFile);
    m_sourceBank->setEnabled(fields.source);
    m_sourcePatch->setEnabled(fields.source);
    m_targetPatch->setEnabled(fields.targetPatch);
}

CSoundFontDlg::CSoundFontDlg(SoundFontBanks* banks, IPrompt& prompt, IProfile& profile,
                             std::filesystem::path documentsFolder,
                             std::filesystem::path synthsFolder, QWidget* parent)
    : DialogBase(parent), m_banks(banks), m_prompt(prompt), m_profile(profile),
      m_documentsFolder(std::move(documentsFolder)), m_synthsFolder(std::move(synthsFolder))
{
    setWindowTitle("SoundFont Bank Manager");
    m_device = new QComboBox(this);
    m_emulation = new QComboBox(this);
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderHidden(true);
    m_load = new QPushButton("Load...", this);
    m_export = new QPushButton("Export...", this);
    auto* close = buttonRow(QDialogButtonBox::Close);

    auto* top = new QGridLayout;
    top->addWidget(new QLabel("Device:", this), 0, 0);
    top->addWidget(m_device, 0, 1);
    top->addWidget(new QLabel("Emulation:", this), 1, 0);
    top->addWidget(m_emulation, 1, 1);
    auto* side = new QVBoxLayout;
    side->addWidget(m_load);
    side->addWidget(m_export);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_tree, 1);
    middle->addLayout(side);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(middle);
    layout->addWidget(close);

    connect(m_device, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            RefreshBanks();
    });
    connect(m_emulation, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_filling)
            OnEmulationChange();
    });
    connect(m_load, &QPushButton::clicked, this, &CSoundFontDlg::OnLoad);
    connect(m_export, &QPushButton::clicked, this, &CSoundFontDlg::OnExportSynthData);
    m_askLoad = [this](const LoadSoundFontChoice& start) -> std::optional<LoadSoundFontChoice> {
        CLoadSoundFontDlg ask(start, this);
        if (ask.exec() != QDialog::Accepted)
            return std::nullopt;
        return ask.choice();
    };
}

bool CSoundFontDlg::OnInitDialog()
{
    const auto devices = soundFontDevices(m_banks);
    if (devices.empty()) {
        m_prompt.message(kNoSoundFontDeviceText, PromptIcon::Stop);
        return false;
    }
    m_filling = true;
    m_device->clear();
    for (const std::string& name : devices)
        m_device->addItem(QString::fromStdString(name));
    m_device->setCurrentIndex(0);
    m_filling = false;
    RefreshBanks();
    return true;
}

int CSoundFontDlg::exec()
{
    if (!OnInitDialog())
        return QDialog::Rejected;
    return QDialog::exec();
}

void CSoundFontDlg::RefreshBanks()
{
    m_tree->clear();
    if (!m_banks)
        return;
    for (const SoundFontTreeNode& bank : soundFontTree(*m_banks)) {
        auto* root = new QTreeWidgetItem(m_tree, {QString::fromStdString(bank.text)});
        root->setData(0, kDataRole, bank.data);
        for (const SoundFontTreeNode& preset : bank.children) {
            auto* child = new QTreeWidgetItem(root, {QString::fromStdString(preset.text)});
            child->setData(0, kDataRole, preset.data);
        }
    }
    m_filling = true;
    m_emulation->clear();
    for (const std::string& mode : SoundFontBanks::emulations())
        m_emulation->addItem(QString::fromStdString(mode));
    m_emulation->setCurrentIndex(m_banks->emulation());
    m_filling = false;
}

void CSoundFontDlg::OnEmulationChange()
{
    if (!m_banks)
        return;
    const int index = m_emulation->currentIndex();
    runBusy([this, index] { return m_banks->setEmulation(index) ? kSoundFontOk : kSoundFontNoSynth; });
    RefreshBanks();
}

int CSoundFontDlg::runBusy(const std::function<int()>& load)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setEnabled(false);
    auto result = std::async(std::launch::async, load);
    QEventLoop wait;
    QTimer poll;
    connect(&poll, &QTimer::timeout, &wait, [&] {
        if (result.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
            wait.quit();
    });
    poll.start(10);
    if (result.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    setEnabled(true);
    QApplication::restoreOverrideCursor();
    return result.get();
}

void CSoundFontDlg::OnLoad()
{
    if (!m_banks)
        return;
    const std::filesystem::path folder
        = readSettingTextOr(m_profile, settings::kSoundfontDirs, m_documentsFolder.string());
    const auto paths = m_prompt.chooseOpenPaths(
        "Load SoundFonts...", folder, "SoundFont Banks (*.sf2);;Wave Patches (*.wav)");
    for (const std::filesystem::path& path : paths) {
        writeSettingText(m_profile, settings::kSoundfontDirs, path.parent_path().string());
        const auto chosen = m_askLoad(initialLoadChoice(path));
        if (!chosen)
            continue;
        const LoadSoundFontChoice choice = *chosen;
        auto problem = std::make_shared<std::string>();
        const int error = runBusy([this, choice, problem] { return loadChosen(*m_banks, choice, problem.get()); });
        if (error != kSoundFontOk) {
            std::string text = withNumber(kTroubleLoadingBankFormat, error);
            if (!problem->empty())
                text += "\n" + *problem;
            m_prompt.message(text, PromptIcon::Warning);
        }
    }
    RefreshBanks();
}

void CSoundFontDlg::OnDelete()
{
    QTreeWidgetItem* item = m_tree->currentItem();
    if (!m_banks || !item)
        return;
    QTreeWidgetItem* parent = item->parent();
    const int data = item->data(0, kDataRole).toInt();
    const std::string name = nameAfterColon(item->text(0).toStdString());
    if (!parent && data == kPercussiveBankData)
        return;
    const bool bank = parent == nullptr;
    const std::string question
        = withText(bank ? kDeleteBankQuestionFormat : kDeletePatchQuestionFormat, name);
    if (m_prompt.askOkCancel(question, PromptIcon::Question) != PromptAnswer::Ok)
        return;
    const int error = bank ? deleteTreeItem(*m_banks, data, std::nullopt)
                           : deleteTreeItem(*m_banks, parent->data(0, kDataRole).toInt(), data);
    if (error != kSoundFontOk) {
        m_prompt.message(withNumber(kCouldNotDeleteFormat, error), PromptIcon::Warning);
        return;
    }
    RefreshBanks();
}

void CSoundFontDlg::OnExportSynthData()
{
    if (!m_banks)
        return;
    std::filesystem::path folder = m_synthsFolder;
    if (folder.empty())
        folder = localPath(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) / "Synths";
    const std::filesystem::path proposed = folder / m_emulation->currentText().toStdString();
    const auto path
        = m_prompt.chooseSavePath("Export synth data file...", proposed, "Synth data files (*.txt)");
    if (!path)
        return;
    std::filesystem::path target = *path;
    if (!target.has_extension())
        target += ".txt";
    std::vector<SoundFontTreeNode> tree;
    for (int i = 0; i < m_tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* bank = m_tree->topLevelItem(i);
        SoundFontTreeNode node{bank->text(0).toStdString(), bank->data(0, kDataRole).toInt(), {}};
        for (int j = 0; j < bank->childCount(); ++j)
            node.children.push_back({bank->child(j)->text(0).toStdString(),
                                     bank->child(j)->data(0, kDataRole).toInt(),
                                     {}});
        tree.push_back(std::move(node));
    }
    std::string reason;
    if (!writeSynthDataFile(target, synthDataList(tree), reason))
        m_prompt.message(reason, PromptIcon::Warning);
}

void CSoundFontDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && m_tree->hasFocus()) {
        OnDelete();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace rz
