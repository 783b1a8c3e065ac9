#pragma once

class QWidget;

// The program draws with Qt's raster engine only. Left to itself, Qt's platform plugin still
// loads the OpenGL stack when the first window is shown (under X11 through the GL integration
// that widget windows ask for, under Wayland through the client buffer integration that
// window decorations need): about 50 MiB of shared libraries (libGL, Mesa, LLVM) and 8 MiB of
// their relocations, paid all day by a process that lives in the background.
//
// prepare(), called before the application object exists, makes widget windows plain raster
// surfaces (Qt::AA_ForceRasterWidgets) and, unless the user chose otherwise in the environment,
// asks the Wayland plugin for no client-side window decorations
// (QT_WAYLAND_DISABLE_WINDOWDECORATION): a handset's compositor shows the phone window on the whole
// screen, with no frame. That variable is read once, when the first window is shown;
// forgetAfterShown() removes it from the environment then, so that the programs this one starts
// (links handed to the desktop) do not inherit it.
class RasterGraphics
{
public:
    static void prepare();
    // Once `window`'s native window has been shown the first time, takes back what prepare()
    // put into the environment. Needs the application object.
    static void forgetAfterShown(QWidget *window);
    // Takes back at once what prepare() put into the environment.
    static void forget();
};
