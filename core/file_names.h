#pragma once

#include <string>

namespace rz {

// Replaces every ASCII character that is neither alphanumeric nor one of
// "$%'`-@{}~!#()&_^ +,.=[]" by '_'. Bytes of 0x80 and above are kept, so UTF-8
// titles survive.
void SanitizeFileName(std::string& text);

// Removes one trailing extension when it is (case-insensitively) mid, midi,
// kar, set, smf, rss, rsd or dll.
void StripKnownExtension(std::string& name);

} // namespace rz
