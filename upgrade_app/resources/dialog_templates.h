#pragma once

// The program's dialog templates, as data.

#include "platform/ui/dialog_template.h"

platform::DialogTemplate AboutBoxTemplate();           // 100
platform::DialogTemplate UsbAccessFormTemplate();      // 103
platform::DialogTemplate EngineeringWindowTemplate();  // 104
platform::DialogTemplate RecoveryDialogTemplate();     // 177
platform::DialogTemplate CompleteDialogTemplate();     // 178
platform::DialogTemplate WizardWindowTemplate();       // 1063
platform::DialogTemplate OptionsDialogTemplate();      // 1089
platform::DialogTemplate SearchingDialogTemplate();    // 1095

// Registers every template above under its id.
void RegisterDialogTemplates();
