#pragma once

#include "core/synth_lookup.h"
#include "ui/dialog_base.h"

#include <optional>

class QPushButton;
class QTreeWidget;

namespace rz {

// "Copy percussion schema from...": picks the drum set whose notation the
// percussion schema dialog copies, from a mirror of the schema tree (each
// synthesizer with its drum sets below it). OK only while a drum set is
// selected. GUI thread.
class CCopyPercSchemaDlg : public DialogBase {
    Q_OBJECT
public:
    static constexpr int kTemplateId = 260;
    static constexpr int kTreeId = 1085;

    explicit CCopyPercSchemaDlg(const IDrumSchemaTree& tree, QWidget* parent = nullptr);

    // The selected drum set; nothing while a synthesizer or nothing is selected.
    std::optional<DrumSetRef> chosen() const { return m_chosen; }

    QTreeWidget* tree() const { return m_tree; }
    QPushButton* okButton() const { return m_ok; }

private:
    void selectionChanged();

    std::optional<DrumSetRef> m_chosen;
    QTreeWidget* m_tree = nullptr;
    QPushButton* m_ok = nullptr;
};

// Runs the dialog modally: the drum set picked with OK, else nothing.
std::optional<DrumSetRef> pickSchemaSource(const IDrumSchemaTree& tree, QWidget* parent);

} // namespace rz
