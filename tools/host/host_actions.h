// What the stand-in does with its plug-ins, from the menu or from the command line.
#pragma once
#include "host_session.h"

// Runs the scripted steps in order, from where they stand, until a /wait-for step has to
// wait (it asks to be called again) or all are done; then arranges the exit asked for with
// /exit-after.
void RunScript(HostSession& session);
// Asks every plug-in to translate a file the user chooses (menu Special).
void TranslateChosenFile(HostSession& session);
// Opens every plug-in's settings (menu Special); returns false when none has any.
bool OpenAllPluginSettings(HostSession& session);
// ems_plugin_finish for every plug-in not yet finished, as Eudora does when it exits.
void FinishAllPlugins(HostSession& session);
