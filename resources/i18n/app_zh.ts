<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en">
<context>
    <name>CloseAppDialog</name>
    <message>
        <source>CloseDialogTips</source>
        <translation>您想关闭还是最小化窗口？</translation>
    </message>
    <message>
        <source>miniRadioTips</source>
        <translation>关闭时最小化启动器</translation>
    </message>
    <message>
        <source>closeRadioTips</source>
        <translation>退出启动器</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
</context>
<context>
    <name>CrashNotice</name>
    <message>
        <source>crashNotice</source>
        <translation>抱歉，程序崩溃了，需要关闭。
错误代码：%1，错误信息：%2</translation>
    </message>
</context>
<context>
    <name>DeleteGameResourceDialog</name>
    <message>
        <source>DeleteResourceing</source>
        <translation>正在删除资源，请稍候...</translation>
    </message>
    <message>
        <source>DeleteResourceOk</source>
        <translation>资源已删除！</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>DeleteResourceRefused</source>
        <translation>未清理游戏资源：安装目录中没有游戏，或安装正在进行。</translation>
    </message>
    <message>
        <source>DeleteResourceGameRunning</source>
        <translation>游戏正在运行。请先关闭游戏再清理资源。</translation>
    </message>
</context>
<context>
    <name>DownloadPathSettingDialog</name>
    <message>
        <source>pathsetting_title</source>
        <translation>选择安装位置</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>Label_ZipSize</source>
        <translation>安装包大小：</translation>
    </message>
    <message>
        <source>Label_ZipRoom</source>
        <translation>解压所需空间：</translation>
    </message>
    <message>
        <source>Label_DirRoom</source>
        <translation>可用空间：</translation>
    </message>
    <message>
        <source>dirroom_error</source>
        <translation>磁盘空间不足，请选择其他位置。</translation>
    </message>
    <message>
        <source>PushButton_comfir</source>
        <translation>安装</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>选择文件夹</translation>
    </message>
</context>
<context>
    <name>GameInstallPlugin</name>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>服务器错误，无法获取版本信息。</translation>
    </message>
</context>
<context>
    <name>GameLauncher</name>
    <message>
        <source>gameStartFailed</source>
        <translation>游戏无法启动，请重试或重新安装游戏。</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>找不到游戏资源，请确认路径正确或获取最新的游戏。</translation>
    </message>
</context>
<context>
    <name>H5EventWidget</name>
    <message>
        <source>h5event_text</source>
        <translation>精彩活动</translation>
    </message>
</context>
<context>
    <name>InstallMoveCommand</name>
    <message>
        <source>Name the folder to move the game to.</source>
        <translation>请指定游戏要移动到的文件夹。</translation>
    </message>
    <message>
        <source>The launcher is running. Close it, then move the game.</source>
        <translation>启动器正在运行。请先关闭启动器，再移动游戏。</translation>
    </message>
</context>
<context>
    <name>InstallMover</name>
    <message>
        <source>Choose a folder for the game</source>
        <translation>选择游戏所在的文件夹</translation>
    </message>
    <message>
        <source>Choose an empty or new folder: %1 is not empty.</source>
        <translation>请选择空文件夹或新文件夹：%1 不是空的。</translation>
    </message>
    <message>
        <source>Move the installed game to %1?</source>
        <translation>要将已安装的游戏移动到 %1 吗？</translation>
    </message>
    <message>
        <source>Moving the game from %1 to %2 ...</source>
        <translation>正在将游戏从 %1 移动到 %2……</translation>
    </message>
    <message>
        <source>Moving the game: %1% (%2 of %3, %4 of %5 files)</source>
        <translation>正在移动游戏：%1%（%2 / %3，文件 %4 / %5）</translation>
    </message>
    <message>
        <source>Not enough space for the game: it needs %1, the drive of the new folder has %2.</source>
        <translation>空间不足：游戏需要 %1，新文件夹所在的磁盘只有 %2。</translation>
    </message>
    <message>
        <source>The game could not be copied (%1). It stays in %2.</source>
        <translation>无法复制游戏（%1）。游戏仍保留在 %2。</translation>
    </message>
    <message>
        <source>The game is already in %1.</source>
        <translation>游戏已经在 %1 中。</translation>
    </message>
    <message>
        <source>The game is being installed. Move it once the install has finished.</source>
        <translation>游戏正在安装。请在安装完成后再移动。</translation>
    </message>
    <message>
        <source>The game is running. Close it, then move it.</source>
        <translation>游戏正在运行。请先关闭游戏，再移动。</translation>
    </message>
    <message>
        <source>The game was moved to %1, but its old folder %2 could not be removed completely.</source>
        <translation>游戏已移动到 %1，但旧文件夹 %2 未能完全删除。</translation>
    </message>
    <message>
        <source>The game was moved to %1.</source>
        <translation>游戏已移动到 %1。</translation>
    </message>
    <message>
        <source>The move was cancelled. The game stays in %1.</source>
        <translation>移动已取消。游戏仍保留在 %1。</translation>
    </message>
    <message>
        <source>The new folder cannot be inside the game folder, nor hold it.</source>
        <translation>新文件夹不能位于游戏文件夹之内，也不能包含游戏文件夹。</translation>
    </message>
    <message>
        <source>The new folder could not be recorded. The game stays in %1.</source>
        <translation>无法记录新文件夹。游戏仍保留在 %1。</translation>
    </message>
    <message>
        <source>There is no installed game to move.</source>
        <translation>没有可移动的已安装游戏。</translation>
    </message>
</context>
<context>
    <name>KVNoticePage</name>
    <message>
        <source>Warning</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
</context>
<context>
    <name>KVSettings</name>
    <message>
        <source>Launcher Settings</source>
        <translation>启动器设置</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>常规设置</translation>
    </message>
    <message>
        <source>Download Settings</source>
        <translation>下载设置</translation>
    </message>
    <message>
        <source>Version Info</source>
        <translation>版本信息</translation>
    </message>
    <message>
        <source>languageIndex</source>
        <translation>0</translation>
    </message>
</context>
<context>
    <name>KVSettings4Download</name>
    <message>
        <source>Limit Download Speed</source>
        <translation>下载限速</translation>
    </message>
    <message>
        <source>No limit</source>
        <translation>不限速</translation>
    </message>
    <message>
        <source>Installation Location</source>
        <translation>安装位置</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>更改</translation>
    </message>
    <message>
        <source>Verify Game Files</source>
        <translation>验证游戏文件</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>验证</translation>
    </message>
    <message>
        <source>Clear Installation</source>
        <translation>清除安装资源</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
</context>
<context>
    <name>KVSettings4General</name>
    <message>
        <source>Launch Settings</source>
        <translation>启动设置</translation>
    </message>
    <message>
        <source>Auto-launch at startup</source>
        <translation>开机自动启动</translation>
    </message>
    <message>
        <source>Close Settings</source>
        <translation>关闭设置</translation>
    </message>
    <message>
        <source>Close to minimize launcher</source>
        <translation>关闭时最小化启动器</translation>
    </message>
    <message>
        <source>Notification Setting</source>
        <translation>通知设置</translation>
    </message>
    <message>
        <source>Enable Launcher Notification</source>
        <translation>开启启动器通知</translation>
    </message>
    <message>
        <source>Launcher Language</source>
        <translation>启动器语言</translation>
    </message>
</context>
<context>
    <name>KVSettings4VersionInfo</name>
    <message>
        <source>Launcher Version</source>
        <translation>启动器版本</translation>
    </message>
    <message>
        <source>Check Version</source>
        <translation>检查版本</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>当前版本：%1</translation>
    </message>
    <message>
        <source>Game Version</source>
        <translation>游戏版本</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Terms of Service</source>
        <translation>服务条款</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>隐私政策</translation>
    </message>
</context>
<context>
    <name>LauncherUpdateDialog</name>
    <message>
        <source>LauncherUpdate</source>
        <translation>更新启动器</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Update_Message</source>
        <translation>更新内容</translation>
    </message>
</context>
<context>
    <name>LauncherVersionCheck</name>
    <message>
        <source>Current version:%1</source>
        <translation>当前版本：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>已是最新版本。</translation>
    </message>
    <message>
        <source>The launcher update to version %1 did not start, so version %2 was put back. Version %1 will not be offered again automatically.</source>
        <translation>启动器版本 %1 未能启动，已恢复为版本 %2。今后不会再自动推荐版本 %1。</translation>
    </message>
</context>
<context>
    <name>LogoReset</name>
    <message>
        <source>resetLauncherData</source>
        <translation>确定要重置启动器吗？下载内容、图片、本地数据和全部设置都将被删除。</translation>
    </message>
    <message>
        <source>resetRefusedBusy</source>
        <translation>游戏正在下载或安装，暂时无法重置启动器。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Launcher %1</source>
        <translation>启动器 %1</translation>
    </message>
    <message>
        <source>Asking the update service...</source>
        <translation>正在查询更新服务...</translation>
    </message>
    <message>
        <source>Quillmere %1 is ready to install</source>
        <translation>奎尔米尔 %1 已可安装</translation>
    </message>
    <message>
        <source>Update %1 is available</source>
        <translation>有可用更新 %1</translation>
    </message>
    <message>
        <source>The game is up to date</source>
        <translation>游戏已是最新版本</translation>
    </message>
    <message>
        <source>The update service cannot be reached</source>
        <translation>无法连接更新服务</translation>
    </message>
    <message>
        <source>Launcher %1 (version %2 is available)</source>
        <translation>启动器 %1（可更新至 %2）</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>服务器错误，无法获取版本信息。</translation>
    </message>
    <message>
        <source>ExeError</source>
        <translation>文件已损坏，请点击下方按钮重新安装。</translation>
    </message>
    <message>
        <source>ExeSomeError(%1-%2)。</source>
        <translation>下载出错，请在启动器设置中清除安装资源后重新下载。(%1-%2)</translation>
    </message>
    <message>
        <source>FileSpaceLimit</source>
        <translation>磁盘空间不足，请清理空间后重试。</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>重试</translation>
    </message>
    <message>
        <source>ExitApp</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>ReDownload</source>
        <translation>重新下载</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>label_downloadstatus</source>
        <translation>加载中……</translation>
    </message>
    <message>
        <source>label_fileSizeText</source>
        <translation>(%1/%2)</translation>
    </message>
    <message>
        <source>label_process</source>
        <translation>正在安装 %1%</translation>
    </message>
    <message>
        <source>label_process_zip</source>
        <translation>正在安装：%1%</translation>
    </message>
    <message>
        <source>label_status_downloading</source>
        <translation>下载中</translation>
    </message>
    <message>
        <source>label_status_downloadstop</source>
        <translation>已暂停</translation>
    </message>
    <message>
        <source>label_downloadSpeed</source>
        <translation>下载速度：%1</translation>
    </message>
    <message>
        <source>label_timeText</source>
        <translation>预计剩余时间：%1</translation>
    </message>
    <message>
        <source>label_installingArchives</source>
        <translation>正在安装 %1/%2</translation>
    </message>
    <message>
        <source>label_installedArchives</source>
        <translation>已安装 %1/%2</translation>
    </message>
    <message>
        <source>label_retryingIn</source>
        <translation>%1 秒后重试</translation>
    </message>
    <message>
        <source>label_offlineRetrying</source>
        <translation>离线 — %1 秒后重试</translation>
    </message>
    <message>
        <source>game_title</source>
        <translation>奎尔米尔</translation>
    </message>
    <message>
        <source>MinToolTip</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>CloseToolTip</source>
        <translation>关闭</translation>
    </message>
    <message>
        <source>OpenToolTip</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>accessible_settings</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>accessible_install</source>
        <translation>安装游戏</translation>
    </message>
    <message>
        <source>accessible_update</source>
        <translation>更新游戏</translation>
    </message>
    <message>
        <source>accessible_unzip</source>
        <translation>安装已下载的游戏</translation>
    </message>
    <message>
        <source>accessible_play</source>
        <translation>开始游戏</translation>
    </message>
    <message>
        <source>accessible_pause</source>
        <translation>暂停下载</translation>
    </message>
    <message>
        <source>accessible_resume</source>
        <translation>继续下载</translation>
    </message>
    <message>
        <source>accessible_playSettings</source>
        <translation>游戏选项</translation>
    </message>
    <message>
        <source>accessible_downloadProgress</source>
        <translation>下载进度</translation>
    </message>
    <message>
        <source>accessible_installProgress</source>
        <translation>安装进度</translation>
    </message>
    <message>
        <source>accessible_banner</source>
        <translation>横幅：按 Enter 打开，方向键切换</translation>
    </message>
    <message>
        <source>accessible_previousBanner</source>
        <translation>上一张横幅</translation>
    </message>
    <message>
        <source>accessible_nextBanner</source>
        <translation>下一张横幅</translation>
    </message>
    <message>
        <source>ExitOnDownloading</source>
        <translation>游戏正在下载，确定要关闭启动器吗？</translation>
    </message>
    <message>
        <source>ExitOnInstalling</source>
        <translation>游戏正在安装，确定要关闭启动器吗？</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>清除资源</translation>
    </message>
    <message>
        <source>checkUpddate</source>
        <translation>检查更新</translation>
    </message>
    <message>
        <source>verifyGameFiles</source>
        <translation>验证文件</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>确定要清除所有安装资源吗？</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>当前版本：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>已是最新版本。</translation>
    </message>
    <message>
        <source>speed_none</source>
        <translation>0 KB/秒</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>New Version found, update now?</source>
        <translation>发现新版本（%1），是否立即更新？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>连接中...</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>前往官网网站</source>
        <translation>前往官网网站</translation>
    </message>
    <message>
        <source>前往TapTap</source>
        <translation>前往TapTap</translation>
    </message>
    <message>
        <source>扫码关注公众号</source>
        <translation>扫码关注公众号</translation>
    </message>
    <message>
        <source>前往B站</source>
        <translation>前往B站</translation>
    </message>
    <message>
        <source>加入官方QQ群</source>
        <translation>加入官方QQ群</translation>
    </message>
    <message>
        <source>前往官方微博</source>
        <translation>前往官方微博</translation>
    </message>
    <message>
        <source>联系客服</source>
        <translation>联系客服</translation>
    </message>
    <message>
        <source>开源许可</source>
        <translation>开源许可</translation>
    </message>
    <message>
        <source>oversea_home</source>
        <translation>官网</translation>
    </message>
    <message>
        <source>payweb</source>
        <translation>官方充值</translation>
    </message>
</context>
<context>
    <name>QmlCommonConfigs</name>
    <message>
        <source>fontFamily</source>
        <translation>Microsoft YaHei UI</translation>
    </message>
</context>
<context>
    <name>SettingCommonDialog</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
</context>
<context>
    <name>SettingsModel</name>
    <message>
        <source>restartOnModifyingLanguage</source>
        <translation>切换语言需要重启启动器，是否立即重启？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
    <message>
        <source>Choose File</source>
        <translation>打开文件</translation>
    </message>
    <message>
        <source>Game(quillmere.exe);;All Files (*.*)</source>
        <translation>游戏 (quillmere.exe);;所有文件 (*.*)</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>找不到游戏资源，请确认路径正确或获取最新的游戏。</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>确定要清除所有安装资源吗？</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>服务器错误，无法获取版本信息。</translation>
    </message>
    <message>
        <source>New Version found, update now?</source>
        <translation>发现新版本（%1），是否立即更新？</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>连接中...</translation>
    </message>
    <message>
        <source>DownloadingGameNow</source>
        <translation>游戏正在下载中</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>当前版本：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>已是最新版本。</translation>
    </message>
</context>
<context>
    <name>TabsWithPopupText</name>
    <message>
        <source>Tabs_Latest</source>
        <translation>最新</translation>
    </message>
    <message>
        <source>Tabs_Notice</source>
        <translation>公告</translation>
    </message>
    <message>
        <source>Tabs_Event</source>
        <translation>活动</translation>
    </message>
    <message>
        <source>Tabs_News</source>
        <translation>新闻</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>%1/S</source>
        <translation>%1/秒</translation>
    </message>
    <message>
        <source>%1d</source>
        <translation>%1天</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1小时</translation>
    </message>
    <message>
        <source>%1m</source>
        <translation>%1分</translation>
    </message>
    <message>
        <source>%1s</source>
        <translation>%1秒</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1%2</translation>
    </message>
</context>
<context>
    <name>UpdateDialog</name>
    <message>
        <source>LauncherUpdateTiTle</source>
        <translation>更新启动器</translation>
    </message>
    <message>
        <source>LauncherUpdateMessage</source>
        <translation>更新内容：</translation>
    </message>
    <message>
        <source>LauncherUpdateCancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>LauncherUpdateConfirm</source>
        <translation>更新</translation>
    </message>
</context>
<context>
    <name>UpdateWindow</name>
    <message>
        <source>Quillmere launcher update</source>
        <translation>Quillmere 启动器更新</translation>
    </message>
    <message>
        <source>Updating the launcher to %1</source>
        <translation>正在将启动器更新到 %1</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>更新进度</translation>
    </message>
    <message>
        <source>Waiting for the launcher to close...</source>
        <translation>正在等待启动器关闭…</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>正在下载…</translation>
    </message>
    <message>
        <source>Unpacking...</source>
        <translation>正在解压…</translation>
    </message>
    <message>
        <source>Replacing the launcher's files...</source>
        <translation>正在替换启动器文件…</translation>
    </message>
    <message>
        <source>Starting the new launcher...</source>
        <translation>正在启动新版启动器…</translation>
    </message>
    <message>
        <source>The new launcher did not start; restoring the previous one...</source>
        <translation>新版启动器未能启动，正在恢复旧版本…</translation>
    </message>
    <message>
        <source>The launcher is up to date.</source>
        <translation>启动器已是最新版本。</translation>
    </message>
    <message>
        <source>Version %1 did not start; the previous version was restored.</source>
        <translation>版本 %1 未能启动，已恢复为旧版本。</translation>
    </message>
    <message>
        <source>The launcher could not be updated; nothing was changed.</source>
        <translation>启动器更新失败，未做任何更改。</translation>
    </message>
</context>
<context>
    <name>WarningDialogWithSingleButton</name>
    <message>
        <source>Warning</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
</context>
<context>
    <name>WarningDialogwithDoublebutton</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>确认</translation>
    </message>
</context>
<context>
    <name>VerifyFlow</name>
    <message>
        <source>verifyNoRecord</source>
        <translation>此安装尚无文件记录。请重新安装游戏后再进行验证。</translation>
    </message>
    <message>
        <source>verifyNoRecordReinstall</source>
        <translation>此安装没有文件记录，无法验证。现在清除并重新下载游戏吗？</translation>
    </message>
    <message>
        <source>verifyRunning</source>
        <translation>正在验证游戏文件…</translation>
    </message>
    <message>
        <source>accessible_verifyPause</source>
        <translation>暂停验证</translation>
    </message>
    <message>
        <source>accessible_verifyResume</source>
        <translation>继续验证</translation>
    </message>
    <message>
        <source>accessible_verifyCancel</source>
        <translation>取消验证</translation>
    </message>
    <message>
        <source>accessible_verifyProgress</source>
        <translation>验证进度</translation>
    </message>
    <message>
        <source>verifyProgress</source>
        <translation>%1/%2 个文件 · %3/%4 · %5</translation>
    </message>
    <message>
        <source>verifyTimeLeft</source>
        <translation>（约剩 %1）</translation>
    </message>
    <message>
        <source>verifyIntact</source>
        <translation>全部 %1 个游戏文件完好。</translation>
    </message>
    <message>
        <source>verifyDamaged</source>
        <translation>%1 个游戏文件缺失或损坏。现在修复吗？</translation>
    </message>
    <message>
        <source>verifyMissingFile</source>
        <translation>缺失：%1</translation>
    </message>
    <message>
        <source>verifyDamagedFile</source>
        <translation>已损坏：%1</translation>
    </message>
    <message>
        <source>verifyMoreFiles</source>
        <translation>…另外 %1 个</translation>
    </message>
    <message>
        <source>verifyStartDamaged</source>
        <translation>启动器上次未正常结束，现有 %1 个游戏文件缺失或损坏。现在修复吗？</translation>
    </message>
    <message>
        <source>verifyRepairing</source>
        <translation>正在修复游戏文件…</translation>
    </message>
    <message>
        <source>verifyGameRunning</source>
        <translation>游戏正在运行。请关闭游戏后再次验证游戏文件以进行修复。</translation>
    </message>
    <message>
        <source>verifyRepaired</source>
        <translation>已修复 %1 个游戏文件。</translation>
    </message>
    <message>
        <source>verifyRepairFailed</source>
        <translation>%1 个游戏文件无法修复。请检查网络连接后重试。</translation>
    </message>
    <message>
        <source>verifyInstallUnderWay</source>
        <translation>游戏的安装或更新尚未完成。请等待其完成后再验证游戏文件。</translation>
    </message>
    <message>
        <source>verifyPaused</source>
        <translation>验证已暂停</translation>
    </message>
    <message>
        <source>verifyFilesBytes</source>
        <translation>%1 / %2 个文件 · %3 / %4</translation>
    </message>
</context>
</TS>
