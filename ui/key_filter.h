#pragma once

#include "ui/accel_table.h"

#include <QObject>

namespace rz {

class CommandRouter;

// The one application-wide accelerator filter. A key that matches the table
// is taken from the widgets (its ShortcutOverride is accepted, its KeyPress
// eaten) and its command executed through the router, which runs it only
// when enabled. Off while an in-place editor is open, a modal widget is up
// or a menu is open, so keys reach the editor, the dialog or the menu. GUI
// thread.
class KeyFilter : public QObject {
    Q_OBJECT
public:
    explicit KeyFilter(CommandRouter& router, QObject* parent = nullptr);
    ~KeyFilter() override;

    // Installs the filter on the application.
    void install();

    // An empty table switches accelerators off.
    void setTable(AccelTable table) { m_table = std::move(table); }
    const AccelTable& table() const { return m_table; }

    // Set while an in-place edit control is open.
    void setInPlaceEditOpen(bool open) { m_inPlaceEditOpen = open; }
    bool inPlaceEditOpen() const { return m_inPlaceEditOpen; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool active() const;

    CommandRouter& m_router;
    AccelTable m_table;
    bool m_inPlaceEditOpen = false;
    bool m_installed = false;
};

} // namespace rz
