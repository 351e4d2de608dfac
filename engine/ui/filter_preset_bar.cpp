#include "engine/ui/filter_preset_bar.h"

#include "core/prompt.h"
#include "engine/audio/audio_filter.h"
#include "engine/audio/filter_presets.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QToolButton>

namespace rz {

namespace {

// The two 16 x 16 images of the bar: a disk for Save, a cross for Delete.
QIcon barIcon(bool save)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    if (save) {
        painter.fillRect(2, 2, 12, 12, QColor(0, 0, 128));
        painter.fillRect(4, 2, 8, 5, Qt::white);
        painter.fillRect(5, 10, 6, 4, QColor(192, 192, 192));
    } else {
        painter.setPen(QPen(QColor(192, 0, 0), 2));
        painter.drawLine(3, 3, 12, 12);
        painter.drawLine(12, 3, 3, 12);
    }
    return QIcon(pixmap);
}

} // namespace

CFilterPresetBar::CFilterPresetBar(FilterPresetStore* store, LadspaFilter& filter, IPrompt& prompt,
                                   std::function<void()> loaded, QWidget* parent)
    : QWidget(parent),
      m_store(store),
      m_filter(filter),
      m_prompt(prompt),
      m_loaded(std::move(loaded))
{
    m_combo = new QComboBox(this);
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMinimumContentsLength(24);
    m_save = new QToolButton(this);
    m_save->setIcon(barIcon(true));
    m_save->setToolTip("Save");
    m_delete = new QToolButton(this);
    m_delete->setIcon(barIcon(false));
    m_delete->setToolTip("Delete");
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel("Presets:", this));
    layout->addWidget(m_combo, 1);
    layout->addWidget(m_save);
    layout->addWidget(m_delete);
    m_save->setEnabled(false);
    m_delete->setEnabled(false);
    if (!m_store || !m_store->isOpen()) {
        setEnabled(false);
        return;
    }
    for (const std::string& name : m_store->presetNames())
        m_combo->addItem(QString::fromStdString(name));
    m_combo->setCurrentIndex(-1);
    m_combo->clearEditText();
    connect(m_combo, &QComboBox::editTextChanged, this, &CFilterPresetBar::OnEditChange);
    connect(m_combo, &QComboBox::activated, this, &CFilterPresetBar::OnSelChange);
    connect(m_save, &QToolButton::clicked, this, &CFilterPresetBar::OnSave);
    connect(m_delete, &QToolButton::clicked, this, &CFilterPresetBar::OnDelete);
}

bool CFilterPresetBar::load(const QString& name)
{
    std::vector<float> values = m_filter.controls();
    if (!m_store->loadPreset(name.toStdString(), values))
        return false;
    m_filter.setControls(values);
    if (m_loaded)
        m_loaded();
    return true;
}

void CFilterPresetBar::OnEditChange(const QString& text)
{
    if (text.isEmpty()) {
        m_save->setEnabled(false);
        m_delete->setEnabled(false);
        return;
    }
    m_save->setEnabled(true);
    m_delete->setEnabled(load(text));
}

void CFilterPresetBar::OnSelChange(int item)
{
    if (item < 0)
        return;
    m_save->setEnabled(true);
    m_delete->setEnabled(load(m_combo->itemText(item)));
}

void CFilterPresetBar::insertSorted(const QString& name)
{
    int at = 0;
    while (at < m_combo->count() && m_combo->itemText(at).toStdString() < name.toStdString())
        ++at;
    m_combo->insertItem(at, name);
    m_combo->setCurrentIndex(at);
}

void CFilterPresetBar::OnSave()
{
    const QString name = m_combo->currentText();
    if (name.isEmpty())
        return;
    std::string reason;
    if (!m_store->savePreset(name.toStdString(), m_filter.controls(), reason)) {
        m_prompt.message(reason, PromptIcon::Stop);
        return;
    }
    if (m_combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        insertSorted(name);
    m_delete->setEnabled(true);
}

void CFilterPresetBar::OnDelete()
{
    const QString name = m_combo->currentText();
    if (name.isEmpty() || m_prompt.askYesNo("Are you sure?") != PromptAnswer::Yes)
        return;
    std::string reason;
    if (!m_store->removePreset(name.toStdString(), reason))
        return;
    const int item = m_combo->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (item >= 0)
        m_combo->removeItem(item);
    m_combo->setCurrentIndex(-1);
    m_combo->clearEditText();
    m_save->setEnabled(false);
    m_delete->setEnabled(false);
}

} // namespace rz
