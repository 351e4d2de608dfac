#pragma once

namespace rz {

class App;

// Registers File > Riz Uzov Avevu: the recorder dialog over the program's
// own sequencer and set; nothing opens without a sequencer.
void registerSongRecorderDialog(App& app);

} // namespace rz
