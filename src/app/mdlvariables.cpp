#include "app/mdlvariables.h"

namespace tarnvale {

GameSettings mdlVariables;

} // namespace tarnvale
