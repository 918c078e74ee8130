#pragma once
// Outputs of the package tools, recorded on the Debian 12 machine the project is
// built on (LC_ALL=C), and realistic outputs of flatpak and snap, which it lacks.

// dpkg-query -S /usr/share/applications/*.desktop (one path not owned)
inline constexpr const char* kDpkgSearchEntries = R"REC(xterm: /usr/share/applications/debian-uxterm.desktop
xterm: /usr/share/applications/debian-xterm.desktop
imagemagick-6.q16: /usr/share/applications/display-im6.q16.desktop
python3.11: /usr/share/applications/python3.11.desktop
vim-common: /usr/share/applications/vim.desktop
)REC";

// dpkg-query -S /usr/bin/vim.basic /usr/bin/xterm
inline constexpr const char* kDpkgSearchPrograms = R"REC(vim: /usr/bin/vim.basic
xterm: /usr/bin/xterm
)REC";

// dpkg-query -W -f=FORMAT xterm imagemagick-6.q16 python3.11 vim-common vim x11-apps libxaw7 libc6 dpkg
inline constexpr const char* kDpkgShow = R"REC(dpkg	1.21.22	6409	required	yes
imagemagick-6.q16	8:6.9.11.60+dfsg-1.6+deb12u16	631	optional	no
libc6	2.36-9+deb12u14	13001	optional	no
libxaw7	2:1.0.14-1	519	optional	no
python3.11	3.11.2-6+deb12u6	649	optional	no
vim	2:9.0.1378-2+deb12u2	3650	optional	no
vim-common	2:9.0.1378-2+deb12u2	245	important	no
x11-apps	7.7+9	2476	optional	no
xterm	379-1	2456	optional	no
)REC";

// dpkg-query -W -f=FORMAT over what removing libkmod2 takes
inline constexpr const char* kDpkgShowLibkmod2 = R"REC(at-spi2-core	2.46.0-5	210	optional	no
dbus-user-session	1.14.10-1~deb12u1	111	optional	no
dconf-gsettings-backend	0.40.0-4	84	optional	no
dconf-service	0.40.0-4	108	optional	no
gsettings-desktop-schemas	43.0-1	5111	optional	no
libkmod2	30+20221128-1	141	optional	no
libnss-systemd	252.38-1~deb12u1	388	standard	no
libpam-systemd	252.38-1~deb12u1	531	standard	no
libsystemd-shared	252.38-1~deb12u1	5345	optional	no
packagekit	1.2.6-5+deb12u1	2952	optional	no
packagekit-tools	1.2.6-5+deb12u1	107	optional	no
pkexec	122-3	56	optional	no
polkitd	122-3	470	optional	no
software-properties-common	0.99.30-4.1~deb12u1	450	optional	no
systemd	252.38-1~deb12u1	9667	important	no
systemd-sysv	252.38-1~deb12u1	73	important	no
systemd-timesyncd	252.38-1~deb12u1	147	standard	no
)REC";

// apt-get -s remove xterm
inline constexpr const char* kAptRemoveXterm = R"REC(Reading package lists...
Building dependency tree...
Reading state information...
The following packages were automatically installed and are no longer required:
  libc++1-14 libc++abi1-14 libunwind-14
Use 'apt autoremove' to remove them.
The following packages will be REMOVED:
  xterm
0 upgraded, 0 newly installed, 1 to remove and 135 not upgraded.
Remv xterm [379-1]
)REC";

// apt-get -s remove vim
inline constexpr const char* kAptRemoveVim = R"REC(Reading package lists...
Building dependency tree...
Reading state information...
The following packages were automatically installed and are no longer required:
  libc++1-14 libc++abi1-14 libunwind-14 vim-common vim-runtime xxd
Use 'apt autoremove' to remove them.
The following packages will be REMOVED:
  vim
0 upgraded, 0 newly installed, 1 to remove and 135 not upgraded.
Remv vim [2:9.0.1378-2+deb12u2]
)REC";

// apt-get -s remove vim-common
inline constexpr const char* kAptRemoveVimCommon = R"REC(Reading package lists...
Building dependency tree...
Reading state information...
The following packages were automatically installed and are no longer required:
  libc++1-14 libc++abi1-14 libunwind-14 vim-runtime xxd
Use 'apt autoremove' to remove them.
The following packages will be REMOVED:
  vim vim-common
0 upgraded, 0 newly installed, 2 to remove and 135 not upgraded.
Remv vim [2:9.0.1378-2+deb12u2]
Remv vim-common [2:9.0.1378-2+deb12u2]
)REC";

// apt-get -s remove libkmod2
inline constexpr const char* kAptRemoveLibkmod2 = R"REC(Reading package lists...
Building dependency tree...
Reading state information...
The following packages were automatically installed and are no longer required:
  distro-info-data dmsetup gir1.2-glib-2.0 gir1.2-packagekitglib-1.0
  libargon2-1 libc++1-14 libc++abi1-14 libcryptsetup12 libdconf1
  libdevmapper1.02.1 libduktape207 libfdisk1 libgirepository-1.0-1 libip4tc2
  libjson-c5 libpackagekit-glib2-18 libpolkit-agent-1-0 libpolkit-gobject-1-0
  libunwind-14 python-apt-common python3-apt python3-blinker python3-dbus
  python3-distro python3-gi python3-httplib2 python3-jwt
  python3-lazr.restfulclient python3-lazr.uri python3-oauthlib
  python3-pyparsing python3-six python3-software-properties python3-wadllib
  sgml-base xml-core
Use 'apt autoremove' to remove them.
The following packages will be REMOVED:
  at-spi2-core dbus-user-session dconf-gsettings-backend dconf-service
  gsettings-desktop-schemas libkmod2 libnss-systemd libpam-systemd
  libsystemd-shared packagekit packagekit-tools pkexec polkitd
  software-properties-common systemd systemd-sysv systemd-timesyncd
0 upgraded, 0 newly installed, 17 to remove and 129 not upgraded.
Remv at-spi2-core [2.46.0-5]
Remv gsettings-desktop-schemas [43.0-1]
Remv dconf-gsettings-backend [0.40.0-4]
Remv dconf-service [0.40.0-4]
Remv dbus-user-session [1.14.10-1~deb12u1]
Remv libnss-systemd [252.38-1~deb12u1]
Remv pkexec [122-3]
Remv software-properties-common [0.99.30-4.1~deb12u1]
Remv packagekit [1.2.6-5+deb12u1] [packagekit-tools:amd64 ]
Remv polkitd [122-3] [packagekit-tools:amd64 ]
Remv systemd-timesyncd [252.38-1~deb12u1] [packagekit-tools:amd64 ]
Remv systemd [252.38-1~deb12u1] [packagekit-tools:amd64 libpam-systemd:amd64 systemd-sysv:amd64 ]
Remv libsystemd-shared [252.38-1~deb12u1] [packagekit-tools:amd64 libpam-systemd:amd64 systemd-sysv:amd64 ]
Remv libkmod2 [30+20221128-1] [packagekit-tools:amd64 libpam-systemd:amd64 systemd-sysv:amd64 ]
Remv libpam-systemd [252.38-1~deb12u1] [packagekit-tools:amd64 systemd-sysv:amd64 ]
Remv packagekit-tools [1.2.6-5+deb12u1] [systemd-sysv:amd64 ]
Remv systemd-sysv [252.38-1~deb12u1]
)REC";

// apt-get -s remove nosuchpkg (exit status 100)
inline constexpr const char* kAptRemoveMissing = R"REC(Reading package lists...
Building dependency tree...
Reading state information...
E: Unable to locate package nosuchpkg
)REC";

// flatpak list --app --columns=application,version,installation
inline constexpr const char* kFlatpakList = "org.gnome.Calculator\t46.1\tsystem\n"
                                            "org.mozilla.firefox\t128.0.3\tuser\n";

// snap list
inline constexpr const char* kSnapList =
    "Name      Version          Rev    Tracking         Publisher   Notes\n"
    "bare      1.0              5      latest/stable    canonical** base\n"
    "core22    20240408         1380   latest/stable    canonical** base\n"
    "vlc       3.0.20-1-g2617de 3777   latest/stable    videolan**  -\n";
