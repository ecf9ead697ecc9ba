<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="en">
<context>
    <name>CloseAppDialog</name>
    <message>
        <source>CloseDialogTips</source>
        <translation>Do you want to close or minimize the window?</translation>
    </message>
    <message>
        <source>miniRadioTips</source>
        <translation>Close to minimize launcher</translation>
    </message>
    <message>
        <source>closeRadioTips</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>CrashNotice</name>
    <message>
        <source>crashNotice</source>
        <translation>Sorry, the program has crashed and needs to close. Error Code-%1, Error Message-%2</translation>
    </message>
</context>
<context>
    <name>DeleteGameResourceDialog</name>
    <message>
        <source>DeleteResourceing</source>
        <translation>Deleting resources, please wait...</translation>
    </message>
    <message>
        <source>DeleteResourceOk</source>
        <translation>Resources have been deleted!</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>DeleteResourceRefused</source>
        <translation>The game resources were not cleared: the install folder does not hold the game, or an install is running.</translation>
    </message>
    <message>
        <source>DeleteResourceGameRunning</source>
        <translation>The game is running. Close it before clearing its resources.</translation>
    </message>
</context>
<context>
    <name>DownloadPathSettingDialog</name>
    <message>
        <source>pathsetting_title</source>
        <translation>Choose Installation Location</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>Label_ZipSize</source>
        <translation>Package size:</translation>
    </message>
    <message>
        <source>Label_ZipRoom</source>
        <translation>Space needed to extract:</translation>
    </message>
    <message>
        <source>Label_DirRoom</source>
        <translation>Available Space:</translation>
    </message>
    <message>
        <source>dirroom_error</source>
        <translation>Need more space in drive. Choose another one.</translation>
    </message>
    <message>
        <source>PushButton_comfir</source>
        <translation>Install</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>Open Directory</translation>
    </message>
</context>
<context>
    <name>GameInstallPlugin</name>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>Server error. Cannot acquire version information.</translation>
    </message>
</context>
<context>
    <name>GameLauncher</name>
    <message>
        <source>gameStartFailed</source>
        <translation>The game could not be started. Please try again, or install the game again.</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>Cannot find game resources. Please make sure the path is correct or acquire the latest game.</translation>
    </message>
</context>
<context>
    <name>H5EventWidget</name>
    <message>
        <source>h5event_text</source>
        <translation>Events</translation>
    </message>
</context>
<context>
    <name>InstallMoveCommand</name>
    <message>
        <source>Name the folder to move the game to.</source>
        <translation>Name the folder to move the game to.</translation>
    </message>
    <message>
        <source>The launcher is running. Close it, then move the game.</source>
        <translation>The launcher is running. Close it, then move the game.</translation>
    </message>
</context>
<context>
    <name>InstallMover</name>
    <message>
        <source>Choose a folder for the game</source>
        <translation>Choose a folder for the game</translation>
    </message>
    <message>
        <source>Choose an empty or new folder: %1 is not empty.</source>
        <translation>Choose an empty or new folder: %1 is not empty.</translation>
    </message>
    <message>
        <source>Move the installed game to %1?</source>
        <translation>Move the installed game to %1?</translation>
    </message>
    <message>
        <source>Moving the game from %1 to %2 ...</source>
        <translation>Moving the game from %1 to %2 ...</translation>
    </message>
    <message>
        <source>Moving the game: %1% (%2 of %3, %4 of %5 files)</source>
        <translation>Moving the game: %1% (%2 of %3, %4 of %5 files)</translation>
    </message>
    <message>
        <source>Not enough space for the game: it needs %1, the drive of the new folder has %2.</source>
        <translation>Not enough space for the game: it needs %1, the drive of the new folder has %2.</translation>
    </message>
    <message>
        <source>The game could not be copied (%1). It stays in %2.</source>
        <translation>The game could not be copied (%1). It stays in %2.</translation>
    </message>
    <message>
        <source>The game is already in %1.</source>
        <translation>The game is already in %1.</translation>
    </message>
    <message>
        <source>The game is being installed. Move it once the install has finished.</source>
        <translation>The game is being installed. Move it once the install has finished.</translation>
    </message>
    <message>
        <source>The game is running. Close it, then move it.</source>
        <translation>The game is running. Close it, then move it.</translation>
    </message>
    <message>
        <source>The game was moved to %1, but its old folder %2 could not be removed completely.</source>
        <translation>The game was moved to %1, but its old folder %2 could not be removed completely.</translation>
    </message>
    <message>
        <source>The game was moved to %1.</source>
        <translation>The game was moved to %1.</translation>
    </message>
    <message>
        <source>The move was cancelled. The game stays in %1.</source>
        <translation>The move was cancelled. The game stays in %1.</translation>
    </message>
    <message>
        <source>The new folder cannot be inside the game folder, nor hold it.</source>
        <translation>The new folder cannot be inside the game folder, nor hold it.</translation>
    </message>
    <message>
        <source>The new folder could not be recorded. The game stays in %1.</source>
        <translation>The new folder could not be recorded. The game stays in %1.</translation>
    </message>
    <message>
        <source>There is no installed game to move.</source>
        <translation>There is no installed game to move.</translation>
    </message>
</context>
<context>
    <name>KVNoticePage</name>
    <message>
        <source>Warning</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>KVSettings</name>
    <message>
        <source>Launcher Settings</source>
        <translation>Launcher Settings</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>General Settings</translation>
    </message>
    <message>
        <source>Download Settings</source>
        <translation>Download Settings</translation>
    </message>
    <message>
        <source>Version Info</source>
        <translation>Version Info</translation>
    </message>
    <message>
        <source>languageIndex</source>
        <translation>1</translation>
    </message>
</context>
<context>
    <name>KVSettings4Download</name>
    <message>
        <source>Limit Download Speed</source>
        <translation>Limit Download Speed</translation>
    </message>
    <message>
        <source>No limit</source>
        <translation>No limit</translation>
    </message>
    <message>
        <source>Installation Location</source>
        <translation>Installation Location</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>Verify Game Files</source>
        <translation>Verify Game Files</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>Clear Installation</source>
        <translation>Clear Installation</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
</context>
<context>
    <name>KVSettings4General</name>
    <message>
        <source>Launch Settings</source>
        <translation>Launch Settings</translation>
    </message>
    <message>
        <source>Auto-launch at startup</source>
        <translation>Auto-launch at startup</translation>
    </message>
    <message>
        <source>Close Settings</source>
        <translation>Close Settings</translation>
    </message>
    <message>
        <source>Close to minimize launcher</source>
        <translation>Close to minimize launcher</translation>
    </message>
    <message>
        <source>Notification Setting</source>
        <translation>Notification Setting</translation>
    </message>
    <message>
        <source>Enable Launcher Notification</source>
        <translation>Enable Launcher Notification</translation>
    </message>
    <message>
        <source>Launcher Language</source>
        <translation>Launcher Language</translation>
    </message>
</context>
<context>
    <name>KVSettings4VersionInfo</name>
    <message>
        <source>Launcher Version</source>
        <translation>Launcher Version</translation>
    </message>
    <message>
        <source>Check Version</source>
        <translation>Check Version</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>Current version: %1</translation>
    </message>
    <message>
        <source>Game Version</source>
        <translation>Game Version</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>Terms of Service</source>
        <translation>Terms of Service</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>Privacy Policy</translation>
    </message>
</context>
<context>
    <name>LauncherUpdateDialog</name>
    <message>
        <source>LauncherUpdate</source>
        <translation>Update Launcher</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Update_Message</source>
        <translation>New Content</translation>
    </message>
</context>
<context>
    <name>LauncherVersionCheck</name>
    <message>
        <source>Current version:%1</source>
        <translation>Current version: %1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>You have updated to the latest version.</translation>
    </message>
    <message>
        <source>The launcher update to version %1 did not start, so version %2 was put back. Version %1 will not be offered again automatically.</source>
        <translation>The launcher update to version %1 did not start, so version %2 was put back. Version %1 will not be offered again automatically.</translation>
    </message>
</context>
<context>
    <name>LogoReset</name>
    <message>
        <source>resetLauncherData</source>
        <translation>Reset the launcher? Its downloads, pictures, local data and all settings will be deleted.</translation>
    </message>
    <message>
        <source>resetRefusedBusy</source>
        <translation>The launcher cannot be reset while the game is downloading or installing.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Launcher %1</source>
        <translation>Launcher %1</translation>
    </message>
    <message>
        <source>Asking the update service...</source>
        <translation>Asking the update service...</translation>
    </message>
    <message>
        <source>Quillmere %1 is ready to install</source>
        <translation>Quillmere %1 is ready to install</translation>
    </message>
    <message>
        <source>Update %1 is available</source>
        <translation>Update %1 is available</translation>
    </message>
    <message>
        <source>The game is up to date</source>
        <translation>The game is up to date</translation>
    </message>
    <message>
        <source>The update service cannot be reached</source>
        <translation>The update service cannot be reached</translation>
    </message>
    <message>
        <source>Launcher %1 (version %2 is available)</source>
        <translation>Launcher %1 (version %2 is available)</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>Server error. Cannot acquire version information.</translation>
    </message>
    <message>
        <source>ExeError</source>
        <translation>File corrupted. Click the button below to install again.</translation>
    </message>
    <message>
        <source>ExeSomeError(%1-%2)。</source>
        <translation>Download error. Please clear installation resources in launcher settings and download again.(%1-%2)</translation>
    </message>
    <message>
        <source>FileSpaceLimit</source>
        <translation>Need more space in drive. Free up space and try again.</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>Retry</translation>
    </message>
    <message>
        <source>ExitApp</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>ReDownload</source>
        <translation>Redownload</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>label_downloadstatus</source>
        <translation>Loading......</translation>
    </message>
    <message>
        <source>label_fileSizeText</source>
        <translation>(%1/%2)</translation>
    </message>
    <message>
        <source>label_process</source>
        <translation>Installing %1%</translation>
    </message>
    <message>
        <source>label_process_zip</source>
        <translation>Installing: %1%</translation>
    </message>
    <message>
        <source>label_status_downloading</source>
        <translation>Downloading</translation>
    </message>
    <message>
        <source>label_status_downloadstop</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>label_downloadSpeed</source>
        <translation>Download Speed: %1</translation>
    </message>
    <message>
        <source>label_timeText</source>
        <translation>Estimated Time Left:%1</translation>
    </message>
    <message>
        <source>label_installingArchives</source>
        <translation>Installing %1 of %2</translation>
    </message>
    <message>
        <source>label_installedArchives</source>
        <translation>Installed %1 of %2</translation>
    </message>
    <message>
        <source>label_retryingIn</source>
        <translation>Retrying in %1 s</translation>
    </message>
    <message>
        <source>label_offlineRetrying</source>
        <translation>Offline — retrying in %1 s</translation>
    </message>
    <message>
        <source>game_title</source>
        <translation>Quillmere</translation>
    </message>
    <message>
        <source>MinToolTip</source>
        <translation>minimize</translation>
    </message>
    <message>
        <source>CloseToolTip</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>OpenToolTip</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>accessible_settings</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>accessible_install</source>
        <translation>Install the game</translation>
    </message>
    <message>
        <source>accessible_update</source>
        <translation>Update the game</translation>
    </message>
    <message>
        <source>accessible_unzip</source>
        <translation>Install the downloaded game</translation>
    </message>
    <message>
        <source>accessible_play</source>
        <translation>Play</translation>
    </message>
    <message>
        <source>accessible_pause</source>
        <translation>Pause the download</translation>
    </message>
    <message>
        <source>accessible_resume</source>
        <translation>Resume the download</translation>
    </message>
    <message>
        <source>accessible_playSettings</source>
        <translation>Game options</translation>
    </message>
    <message>
        <source>accessible_downloadProgress</source>
        <translation>Download progress</translation>
    </message>
    <message>
        <source>accessible_installProgress</source>
        <translation>Installation progress</translation>
    </message>
    <message>
        <source>accessible_banner</source>
        <translation>Banner: Enter opens it, the arrow keys change it</translation>
    </message>
    <message>
        <source>accessible_previousBanner</source>
        <translation>Previous banner</translation>
    </message>
    <message>
        <source>accessible_nextBanner</source>
        <translation>Next banner</translation>
    </message>
    <message>
        <source>ExitOnDownloading</source>
        <translation>Downloading the game. Close the app anyway?</translation>
    </message>
    <message>
        <source>ExitOnInstalling</source>
        <translation>Installing the game. Close the app anyway?</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>Clear data</translation>
    </message>
    <message>
        <source>checkUpddate</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>verifyGameFiles</source>
        <translation>Verify files</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>Proceed to clear all installation resources?</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>Current version: %1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>You have updated to the latest version.</translation>
    </message>
    <message>
        <source>speed_none</source>
        <translation>0 kb</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>New Version found, update now?</source>
        <translation>New Version found(%1), update now?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>前往官网网站</source>
        <translation>Official Site</translation>
    </message>
    <message>
        <source>前往TapTap</source>
        <translation>Visit TapTap</translation>
    </message>
    <message>
        <source>扫码关注公众号</source>
        <translation>Our WeChat</translation>
    </message>
    <message>
        <source>前往B站</source>
        <translation>Visit Bilibili</translation>
    </message>
    <message>
        <source>加入官方QQ群</source>
        <translation>QQ Group</translation>
    </message>
    <message>
        <source>前往官方微博</source>
        <translation>Visit Weibo</translation>
    </message>
    <message>
        <source>联系客服</source>
        <translation>Support</translation>
    </message>
    <message>
        <source>开源许可</source>
        <translation>Licenses</translation>
    </message>
    <message>
        <source>oversea_home</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>payweb</source>
        <translation>Official Top-up</translation>
    </message>
</context>
<context>
    <name>QmlCommonConfigs</name>
    <message>
        <source>fontFamily</source>
        <translation>Segoe UI</translation>
    </message>
</context>
<context>
    <name>SettingCommonDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>SettingsModel</name>
    <message>
        <source>restartOnModifyingLanguage</source>
        <translation>You must restart the launcher to change the language. Restart now?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Choose File</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>Game(quillmere.exe);;All Files (*.*)</source>
        <translation>Game(quillmere.exe);;All Files (*.*)</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>Cannot find game resources. Please make sure the path is correct or acquire the latest game.</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>Proceed to clear all installation resources?</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>Server error. Cannot acquire version information.</translation>
    </message>
    <message>
        <source>New Version found, update now?</source>
        <translation>New Version found(%1), update now?</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>Update</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>Connecting...</translation>
    </message>
    <message>
        <source>DownloadingGameNow</source>
        <translation>Already downloading</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>Current version: %1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>You have updated to the latest version.</translation>
    </message>
</context>
<context>
    <name>TabsWithPopupText</name>
    <message>
        <source>Tabs_Latest</source>
        <translation>Latest</translation>
    </message>
    <message>
        <source>Tabs_Notice</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>Tabs_Event</source>
        <translation>Event</translation>
    </message>
    <message>
        <source>Tabs_News</source>
        <translation>News</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>%1/S</source>
        <translation>%1/S</translation>
    </message>
    <message>
        <source>%1d</source>
        <translation>%1d</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1h</translation>
    </message>
    <message>
        <source>%1m</source>
        <translation>%1m</translation>
    </message>
    <message>
        <source>%1s</source>
        <translation>%1s</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>LauncherUpdateTiTle</source>
        <translation>Update Launcher</translation>
    </message>
    <message>
        <source>LauncherUpdateMessage</source>
        <translation>New Content:</translation>
    </message>
    <message>
        <source>LauncherUpdateCancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>LauncherUpdateConfirm</source>
        <translation>Update</translation>
    </message>
</context>
<context>
    <name>UpdateWindow</name>
    <message>
        <source>Quillmere launcher update</source>
        <translation>Quillmere launcher update</translation>
    </message>
    <message>
        <source>Updating the launcher to %1</source>
        <translation>Updating the launcher to %1</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>Update progress</translation>
    </message>
    <message>
        <source>Waiting for the launcher to close...</source>
        <translation>Waiting for the launcher to close...</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>Downloading...</translation>
    </message>
    <message>
        <source>Unpacking...</source>
        <translation>Unpacking...</translation>
    </message>
    <message>
        <source>Replacing the launcher's files...</source>
        <translation>Replacing the launcher's files...</translation>
    </message>
    <message>
        <source>Starting the new launcher...</source>
        <translation>Starting the new launcher...</translation>
    </message>
    <message>
        <source>The new launcher did not start; restoring the previous one...</source>
        <translation>The new launcher did not start; restoring the previous one...</translation>
    </message>
    <message>
        <source>The launcher is up to date.</source>
        <translation>The launcher is up to date.</translation>
    </message>
    <message>
        <source>Version %1 did not start; the previous version was restored.</source>
        <translation>Version %1 did not start; the previous version was restored.</translation>
    </message>
    <message>
        <source>The launcher could not be updated; nothing was changed.</source>
        <translation>The launcher could not be updated; nothing was changed.</translation>
    </message>
</context>
<context>
    <name>WarningDialogWithSingleButton</name>
    <message>
        <source>Warning</source>
        <translation>Notice</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>WarningDialogwithDoublebutton</name>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
</context>
<context>
    <name>VerifyFlow</name>
    <message>
        <source>verifyNoRecord</source>
        <translation>This installation has no record of its files yet. Reinstall the game to be able to verify it.</translation>
    </message>
    <message>
        <source>verifyNoRecordReinstall</source>
        <translation>This installation has no record of its files, so it cannot be verified. Clear it now and download the game again?</translation>
    </message>
    <message>
        <source>verifyRunning</source>
        <translation>Verifying the game files…</translation>
    </message>
    <message>
        <source>accessible_verifyPause</source>
        <translation>Pause the check</translation>
    </message>
    <message>
        <source>accessible_verifyResume</source>
        <translation>Resume the check</translation>
    </message>
    <message>
        <source>accessible_verifyCancel</source>
        <translation>Cancel the check</translation>
    </message>
    <message>
        <source>accessible_verifyProgress</source>
        <translation>Progress of the check</translation>
    </message>
    <message>
        <source>verifyProgress</source>
        <translation>%1 of %2 files · %3 of %4 · %5</translation>
    </message>
    <message>
        <source>verifyTimeLeft</source>
        <translation>(about %1 left)</translation>
    </message>
    <message>
        <source>verifyIntact</source>
        <translation>All %1 game files are intact.</translation>
    </message>
    <message>
        <source>verifyDamaged</source>
        <translation>Game files missing or damaged: %1. Repair them now?</translation>
    </message>
    <message>
        <source>verifyMissingFile</source>
        <translation>Missing: %1</translation>
    </message>
    <message>
        <source>verifyDamagedFile</source>
        <translation>Damaged: %1</translation>
    </message>
    <message>
        <source>verifyMoreFiles</source>
        <translation>…and %1 more</translation>
    </message>
    <message>
        <source>verifyStartDamaged</source>
        <translation>The launcher did not end normally last time. Game files missing or damaged: %1. Repair them now?</translation>
    </message>
    <message>
        <source>verifyRepairing</source>
        <translation>Repairing the game files…</translation>
    </message>
    <message>
        <source>verifyGameRunning</source>
        <translation>The game is running. Close it, then verify the game files again to repair them.</translation>
    </message>
    <message>
        <source>verifyRepaired</source>
        <translation>Game files repaired: %1.</translation>
    </message>
    <message>
        <source>verifyRepairFailed</source>
        <translation>Game files that could not be repaired: %1. Check the connection and try again.</translation>
    </message>
    <message>
        <source>verifyInstallUnderWay</source>
        <translation>An install or update of the game has not finished. Let it finish, then verify the game files.</translation>
    </message>
    <message>
        <source>verifyPaused</source>
        <translation>Verifying paused</translation>
    </message>
    <message>
        <source>verifyFilesBytes</source>
        <translation>%1 of %2 files · %3 of %4</translation>
    </message>
</context>
</TS>
