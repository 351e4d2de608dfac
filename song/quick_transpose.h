#pragma once

// Quick transpose of a whole song by semitones, built as one undo record.
// GUI thread.

#include <memory>

namespace rz {

class CSongDoc;
class IChordTable;
class ISynthLookup;
struct CUndoRecord;

struct QuickTranspose {
    std::unique_ptr<CUndoRecord> record; // "Quick transpose"; null when nothing changes
    bool clipped = false;                // a note had to stop at 0 or 127
};

// Every measure's key moves by `semitones`; the note-on, key-pressure and
// chord-marker events of every track but the last move with it, spelled in
// the new key of their measure. Drum tracks stay: those whose percussion
// mask holds their channel, or, without a mask, whose synthesizer, bank and
// program name a drumset in `synths` (may be null). The song is unchanged.
QuickTranspose BuildQuickTranspose(const CSongDoc& song, int semitones, const ISynthLookup* synths,
                                   IChordTable* chords);

// The key signature (-7..7) whose tonic lies `semitones` from that of `key`
// in `mode` (0 major, 1 minor), preferring at most five flats or six sharps.
int transposedKeySignature(int key, int mode, int semitones);

} // namespace rz
