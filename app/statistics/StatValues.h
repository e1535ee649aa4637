#include "lottery/ScenarioLine.h"
