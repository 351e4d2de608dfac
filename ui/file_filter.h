#pragma once

#include <QString>

#include <string_view>

namespace rz {

// Turns a file filter into Qt's form. Accepted: the program's pairs
// "Sets or Songs|*.set;*.mid|All Files (*.*)|*.*||" and Qt's own
// "Sets or Songs (*.set *.mid);;All files (*)". "*.*" means every file.
// A filter that does not parse becomes "All files (*)".
QString toQtFilter(std::string_view filter);

// The extension of the first pattern of a Qt filter ("set" for
// "Sets (*.set *.mid)"), or "" when it names no single extension.
QString defaultSuffix(const QString& qtFilter);

// `fileName` with ".suffix" added when its name has no extension.
QString withDefaultSuffix(const QString& fileName, const QString& suffix);

} // namespace rz
