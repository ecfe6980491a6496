// The main window as the application menu's host.
#pragma once

#include "appmenu/app_menu_host.h"

#include <memory>

class VeldrixFrame;

std::unique_ptr<IAppMenuHost> MakeAppMenuHost(VeldrixFrame* frame);
