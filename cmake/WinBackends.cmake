# The Qt-free Windows backends, per layer, relative to the repository root. The layers' own
# CMakeLists add them under if(WIN32); tests/win builds them on their own with MinGW-w64.
set(VT_WIN_COMMON_SOURCES
    common/WinText_win.cpp
    common/AnsiCodePage_win.cpp
)
set(VT_WIN_NETCOMP_SOURCES
    netcomp/AdapterQuery_win.cpp
)
set(VT_WIN_ADAPTER_SOURCES
    adapter/ManagementInterface_win.cpp
)
set(VT_WIN_SYSTEM_LIBS iphlpapi ws2_32 ole32 oleaut32 uuid)
