#include "upgrade_app/application_version.h"

std::string GetApplicationVersion() { return "4.7.0.0"; }
