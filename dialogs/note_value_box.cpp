#include "dialogs/note_value_box.h"

#include "ui/bitmap_catalog.h"

#include <QBitmap>
#include <QKeyEvent>
#include <QPixmap>

namespace rz {

int noteValueRowForKey(int row, char32_t key)
{
    // A letter picks its value, then its triplet (or next shorter value).
    struct Pair {
        char32_t letter;
        int first;
        int second;
    };
    static constexpr Pair kPairs[] = {{U'H', 2, 4}, {U'Q', 5, 7}, {U'E', 8, 10}, {U'S', 11, 12}, {U'T', 13, 14}};
    if (key >= U'a' && key <= U'z')
        key -= U'a' - U'A';
    if (key == U'.' || key == U'D') {
        switch (row) {
        case 1: return 3;
        case 3: return 6;
        case 6: return 9;
        default: return 1;
        }
    }
    if (key == U'W')
        return kNoteValueWhole;
    for (const Pair& pair : kPairs)
        if (key == pair.letter)
            return row == pair.first ? pair.second : pair.first;
    return -1;
}

NoteValueBox::NoteValueBox(QWidget* parent) : QComboBox(parent)
{
    const QImage& strip = BitmapCatalog::image(bitmap_id::kNoteValues);
    setIconSize(QSize(16, 16));
    for (size_t i = 0; i < kNoteValueRows.size(); ++i) {
        QPixmap image = QPixmap::fromImage(strip.copy(int(i) * 16, 0, 16, 16));
        image.setMask(image.createMaskFromColor(Qt::white));
        addItem(QIcon(image), kNoteValueRows[i].name);
    }
    installEventFilter(this);
}

bool NoteValueBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == this && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QList<uint> typed = key->text().toUcs4();
        if (typed.size() == 1 && (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) == 0) {
            const int next = noteValueRowForKey(currentIndex(), char32_t(typed.front()));
            if (next >= 0) {
                setCurrentIndex(next);
                return true;
            }
        }
    }
    return QComboBox::eventFilter(watched, event);
}

} // namespace rz
