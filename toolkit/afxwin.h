// Everything the system's dialogs are written against.
#pragma once

#include "toolkit/controls.h"
#include "toolkit/data_exchange.h"
#include "toolkit/dialog.h"
#include "toolkit/message_map.h"
#include "toolkit/resources.h"
#include "toolkit/win_api.h"
#include "toolkit/win_app.h"
#include "toolkit/win_defs.h"
#include "toolkit/wnd.h"
