#include "ui_robot.h"
