# The Qt-free Windows backends, per library. The layers' CMakeLists add them under if(WIN32);
# tests/win builds them on their own with MinGW-w64 into one check program.
get_filename_component(_vt_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(VT_WIN_TEXT_SOURCES ${_vt_root}/common/WinText_win.cpp)  # vt_wintext, used by the others
set(VT_WIN_COMMON_SOURCES ${_vt_root}/common/AnsiCodePage_win.cpp)
set(VT_WIN_ICMP_SOURCES ${_vt_root}/netcomp/icmp/IcmpProbe_win.cpp
    ${_vt_root}/netcomp/icmp/IcmpReplyBuffer_win.cpp)
set(VT_WIN_NETCOMP_SOURCES
    ${_vt_root}/netcomp/adapters/AdapterQuery_win.cpp
    ${_vt_root}/netcomp/adapters/DhcpLease_win.cpp
    ${_vt_root}/netcomp/syslog/SocketBuffer_win.cpp
    ${_vt_root}/netcomp/syslog/SyslogSocket_win.cpp
)
set(VT_WIN_ADAPTER_SOURCES ${_vt_root}/adapter/ManagementInterface_win.cpp)
set(VT_WIN_OS_LIBS iphlpapi ws2_32 ole32 oleaut32 uuid)
# What a library with Windows backends links: vt_wintext (common/), which brings the OS
# libraries above.
set(VT_WIN_SYSTEM_LIBS vt_wintext)
