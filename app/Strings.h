#pragma once

// String 101: the About item of the window's menu.
inline constexpr const char* AboutMenuText = "&About Ostrel...";
inline constexpr unsigned AboutCommand = 0x0010;
// Beside it: the saved connections, each a tree of the browser's list of trees.
inline constexpr const char* ConnectionsMenuText = "&Connections...";

inline constexpr const char* TabCaptions[6] = {"NDS Browser", "Schema Viewer",  "Schema Manager",
                                               "NDS Query",   "Object Manager", "Object Editor"};
