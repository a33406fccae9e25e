// The shared library is compiled twice: once for the setup programs and once,
// with VELLO_PANEL_VARIANT defined, for the control panel. The panel's copy
// differs in its settings record, its service rights and its device-ID match.
#pragma once

namespace variant {
#ifdef VELLO_PANEL_VARIANT
constexpr bool kPanel = true;
#else
constexpr bool kPanel = false;
#endif
}  // namespace variant
