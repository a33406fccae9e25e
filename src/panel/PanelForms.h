// The control panel's five forms, in the order they are created, and their
// global objects.
#pragma once

#include "panel/AudioMainForm.h"
#include "panel/SecondaryForms.h"

extern TAudioMainForm* AudioMainForm;
extern TAboutForm* AboutForm;
extern TLEDForm* LEDForm;
extern TSimpleForm* SimpleForm;
extern TLEDColorForm* LEDColorForm;
