#pragma once
// The window half of the settings: the loader applies what the core read from the
// store to the globals and to the controls of the preferences, radar and report
// windows (creating them hidden on the first touch); the saver reads the
// preferences window back.

namespace qern {

class WindowSet;

// Finds the serial ports (never opening one) and applies them to the port list, the
// "GPS Setup" tab and the GPS radar's menu item.
void ProbeComPorts(WindowSet &windows);

// At start-up its first step is the first touch of the main window, whose Form_Load
// may end the program: callers check WindowSet::hasEnded() afterwards.
void LoadPreferences(WindowSet &windows);

// Writes what frmLocation holds, empties its location list and loads again.
void SavePreferences(WindowSet &windows);

} // namespace qern
