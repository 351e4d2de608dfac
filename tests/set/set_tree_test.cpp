#include "set/set_tree.h"

#include <gtest/gtest.h>

#include <string>

namespace rz {
namespace {

CSongDoc* fakeSong(int n)
{
    return reinterpret_cast<CSongDoc*>(uintptr_t(0x1000 * n));
}

// Every item the walk visits, with its depth: "F0 s1 s1 S0" (F folder,
// s song, S status).
std::string walk(const SetTree& tree)
{
    std::string text;
    int depth = -1;
    for (const SetTreeItem* item = tree.GetNextItem(nullptr, depth); item; item = tree.GetNextItem(item, depth)) {
        const char kind = item->kind == SetItemKind::Folder ? 'F' : item->kind == SetItemKind::Song ? 's' : 'S';
        text += (text.empty() ? "" : " ") + std::string(1, kind) + std::to_string(depth);
    }
    return text;
}

TEST(SetTree, TheWalkEntersFoldersAndEndsAtTheStatusItem)
{
    SetTree tree;
    EXPECT_EQ(walk(tree), "S0");
    tree.InsertSongItem(*fakeSong(1), tree.beforeStatus());
    SetTreeItem* outer = tree.InsertFolder("Outer", tree.beforeStatus());
    SetTreeItem* inner = tree.InsertFolder("Inner", TreePlace::end(outer));
    tree.InsertSongItem(*fakeSong(2), TreePlace::end(inner));
    tree.InsertFolder("Empty", TreePlace::end(outer));
    tree.InsertSongItem(*fakeSong(3), tree.beforeStatus());
    EXPECT_EQ(walk(tree), "s0 F0 F1 s2 F1 s0 S0");
}

TEST(SetTree, NothingGoesBehindTheStatusItem)
{
    SetTree tree;
    SetTreeItem* a = tree.InsertSongItem(*fakeSong(1), TreePlace::behind(tree.statusItem()));
    SetTreeItem* b = tree.InsertSongItem(*fakeSong(2), TreePlace::first());
    EXPECT_EQ(tree.firstItem(), b);
    EXPECT_EQ(tree.previousSibling(tree.statusItem()), a);
    EXPECT_EQ(tree.selection(), b);
    EXPECT_EQ(tree.songItems(), (std::vector<SetTreeItem*>{b, a}));
}

TEST(SetTree, DeletingAFolderTakesItsSongsAndTheSelectionOnThem)
{
    SetTree tree;
    SetTreeItem* folder = tree.InsertFolder("F", tree.beforeStatus());
    SetTreeItem* song = tree.InsertSongItem(*fakeSong(1), TreePlace::end(folder));
    EXPECT_TRUE(SetTree::IsInside(song, folder));
    EXPECT_EQ(tree.songOfItem(song), fakeSong(1));
    tree.DeleteTreeItem(folder);
    EXPECT_EQ(tree.selection(), nullptr);
    EXPECT_EQ(tree.songOfItem(song), nullptr);
    tree.DeleteTreeItem(tree.statusItem());
    EXPECT_EQ(walk(tree), "S0");
}

} // namespace
} // namespace rz
