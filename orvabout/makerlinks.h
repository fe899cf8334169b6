#pragma once

// Where the About boxes and the main window's "Orv im Internet" lead.
inline constexpr const char *OrvHomePage = "https://www.orv.example/";
inline constexpr const char *OrvMailAddress = "mailto:info@orv.example";
