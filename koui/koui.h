// Everything an application of the toolkit uses, in one include: the
// application layer (App, AppWindow, onClick), elements and how to add
// them, the plot view, the resource instance and the log objects. The
// Win32-shaped vocabulary of the window layer is not part of it;
// applications that need it include the koui/app/ and koui/platform/
// headers themselves.
#pragma once

#include "koui/app/app.h"
#include "koui/app/app_window.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/host/log_obj.h"
#include "koui/pz/view.h"
#include "koui/res/instance.h"
#include "koui/ui/add.h"
#include "koui/ui/div.h"
#include "koui/ui/events.h"
#include "koui/widgets/button.h"
#include "koui/widgets/edit.h"
#include "koui/widgets/container.h"
#include "koui/widgets/dcontainer.h"
#include "koui/widgets/fader.h"
#include "koui/widgets/fview.h"
#include "koui/widgets/progbar.h"
#include "koui/widgets/progbar_num.h"
#include "koui/widgets/quickmenu.h"
#include "koui/widgets/sedit.h"
#include "koui/widgets/static.h"
