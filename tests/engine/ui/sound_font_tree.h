#pragma once

#include <QTreeWidget>

#include <filesystem>
#include <string>
#include <vector>

namespace rz {

// The General MIDI sound font the setup scripts install.
inline const std::filesystem::path kTestSoundFont = "/usr/share/sounds/sf2/TimGM6mb.sf2";

// The texts of the tree's top items, in order.
inline std::vector<std::string> rootTexts(const QTreeWidget& tree)
{
    std::vector<std::string> texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        texts.push_back(tree.topLevelItem(i)->text(0).toStdString());
    return texts;
}

} // namespace rz
