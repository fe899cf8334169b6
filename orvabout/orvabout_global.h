#pragma once
#include <QtGlobal>

// What the Orvabout library exports; everything else in it stays hidden.
#if defined(ORVABOUT_BUILD)
#define ORVABOUT_EXPORT Q_DECL_EXPORT
#else
#define ORVABOUT_EXPORT Q_DECL_IMPORT
#endif
