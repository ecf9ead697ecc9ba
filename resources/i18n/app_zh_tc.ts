<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en">
<context>
    <name>CloseAppDialog</name>
    <message>
        <source>CloseDialogTips</source>
        <translation>您想關閉還是最小化視窗？</translation>
    </message>
    <message>
        <source>miniRadioTips</source>
        <translation>關閉時最小化啟動器</translation>
    </message>
    <message>
        <source>closeRadioTips</source>
        <translation>結束啟動器</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
</context>
<context>
    <name>CrashNotice</name>
    <message>
        <source>crashNotice</source>
        <translation>抱歉，程式當機了，需要關閉。
錯誤代碼：%1，錯誤訊息：%2</translation>
    </message>
</context>
<context>
    <name>DeleteGameResourceDialog</name>
    <message>
        <source>DeleteResourceing</source>
        <translation>正在刪除資源，請稍候...</translation>
    </message>
    <message>
        <source>DeleteResourceOk</source>
        <translation>資源已刪除！</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>DeleteResourceRefused</source>
        <translation>未清理遊戲資源：安裝目錄中沒有遊戲，或安裝正在進行。</translation>
    </message>
    <message>
        <source>DeleteResourceGameRunning</source>
        <translation>遊戲正在執行。請先關閉遊戲再清理資源。</translation>
    </message>
</context>
<context>
    <name>DownloadPathSettingDialog</name>
    <message>
        <source>pathsetting_title</source>
        <translation>選擇安裝位置</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>變更</translation>
    </message>
    <message>
        <source>Label_ZipSize</source>
        <translation>安裝包大小：</translation>
    </message>
    <message>
        <source>Label_ZipRoom</source>
        <translation>解壓縮所需空間：</translation>
    </message>
    <message>
        <source>Label_DirRoom</source>
        <translation>可用空間：</translation>
    </message>
    <message>
        <source>dirroom_error</source>
        <translation>磁碟空間不足，請選擇其他位置。</translation>
    </message>
    <message>
        <source>PushButton_comfir</source>
        <translation>安裝</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>選擇資料夾</translation>
    </message>
</context>
<context>
    <name>GameInstallPlugin</name>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>伺服器錯誤，無法取得版本資訊。</translation>
    </message>
</context>
<context>
    <name>GameLauncher</name>
    <message>
        <source>gameStartFailed</source>
        <translation>遊戲無法啟動，請重試或重新安裝遊戲。</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>找不到遊戲資源，請確認路徑正確或取得最新的遊戲。</translation>
    </message>
</context>
<context>
    <name>H5EventWidget</name>
    <message>
        <source>h5event_text</source>
        <translation>精彩活動</translation>
    </message>
</context>
<context>
    <name>InstallMoveCommand</name>
    <message>
        <source>Name the folder to move the game to.</source>
        <translation>請指定遊戲要移動到的資料夾。</translation>
    </message>
    <message>
        <source>The launcher is running. Close it, then move the game.</source>
        <translation>啟動器正在執行。請先關閉啟動器，再移動遊戲。</translation>
    </message>
</context>
<context>
    <name>InstallMover</name>
    <message>
        <source>Choose a folder for the game</source>
        <translation>選擇遊戲所在的資料夾</translation>
    </message>
    <message>
        <source>Choose an empty or new folder: %1 is not empty.</source>
        <translation>請選擇空資料夾或新資料夾：%1 不是空的。</translation>
    </message>
    <message>
        <source>Move the installed game to %1?</source>
        <translation>要將已安裝的遊戲移動到 %1 嗎？</translation>
    </message>
    <message>
        <source>Moving the game from %1 to %2 ...</source>
        <translation>正在將遊戲從 %1 移動到 %2……</translation>
    </message>
    <message>
        <source>Moving the game: %1% (%2 of %3, %4 of %5 files)</source>
        <translation>正在移動遊戲：%1%（%2 / %3，檔案 %4 / %5）</translation>
    </message>
    <message>
        <source>Not enough space for the game: it needs %1, the drive of the new folder has %2.</source>
        <translation>空間不足：遊戲需要 %1，新資料夾所在的磁碟只有 %2。</translation>
    </message>
    <message>
        <source>The game could not be copied (%1). It stays in %2.</source>
        <translation>無法複製遊戲（%1）。遊戲仍保留在 %2。</translation>
    </message>
    <message>
        <source>The game is already in %1.</source>
        <translation>遊戲已經在 %1 中。</translation>
    </message>
    <message>
        <source>The game is being installed. Move it once the install has finished.</source>
        <translation>遊戲正在安裝。請在安裝完成後再移動。</translation>
    </message>
    <message>
        <source>The game is running. Close it, then move it.</source>
        <translation>遊戲正在執行。請先關閉遊戲，再移動。</translation>
    </message>
    <message>
        <source>The game was moved to %1, but its old folder %2 could not be removed completely.</source>
        <translation>遊戲已移動到 %1，但舊資料夾 %2 未能完全刪除。</translation>
    </message>
    <message>
        <source>The game was moved to %1.</source>
        <translation>遊戲已移動到 %1。</translation>
    </message>
    <message>
        <source>The move was cancelled. The game stays in %1.</source>
        <translation>移動已取消。遊戲仍保留在 %1。</translation>
    </message>
    <message>
        <source>The new folder cannot be inside the game folder, nor hold it.</source>
        <translation>新資料夾不能位於遊戲資料夾之內，也不能包含遊戲資料夾。</translation>
    </message>
    <message>
        <source>The new folder could not be recorded. The game stays in %1.</source>
        <translation>無法記錄新資料夾。遊戲仍保留在 %1。</translation>
    </message>
    <message>
        <source>There is no installed game to move.</source>
        <translation>沒有可移動的已安裝遊戲。</translation>
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
        <translation>確認</translation>
    </message>
</context>
<context>
    <name>KVSettings</name>
    <message>
        <source>Launcher Settings</source>
        <translation>啟動器設定</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>一般設定</translation>
    </message>
    <message>
        <source>Download Settings</source>
        <translation>下載設定</translation>
    </message>
    <message>
        <source>Version Info</source>
        <translation>版本資訊</translation>
    </message>
    <message>
        <source>languageIndex</source>
        <translation>4</translation>
    </message>
</context>
<context>
    <name>KVSettings4Download</name>
    <message>
        <source>Limit Download Speed</source>
        <translation>下載限速</translation>
    </message>
    <message>
        <source>No limit</source>
        <translation>不限速</translation>
    </message>
    <message>
        <source>Installation Location</source>
        <translation>安裝位置</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>變更</translation>
    </message>
    <message>
        <source>Verify Game Files</source>
        <translation>驗證遊戲檔案</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>驗證</translation>
    </message>
    <message>
        <source>Clear Installation</source>
        <translation>清除安裝資源</translation>
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
        <translation>啟動設定</translation>
    </message>
    <message>
        <source>Auto-launch at startup</source>
        <translation>開機自動啟動</translation>
    </message>
    <message>
        <source>Close Settings</source>
        <translation>關閉設定</translation>
    </message>
    <message>
        <source>Close to minimize launcher</source>
        <translation>關閉時最小化啟動器</translation>
    </message>
    <message>
        <source>Notification Setting</source>
        <translation>通知設定</translation>
    </message>
    <message>
        <source>Enable Launcher Notification</source>
        <translation>開啟啟動器通知</translation>
    </message>
    <message>
        <source>Launcher Language</source>
        <translation>啟動器語言</translation>
    </message>
</context>
<context>
    <name>KVSettings4VersionInfo</name>
    <message>
        <source>Launcher Version</source>
        <translation>啟動器版本</translation>
    </message>
    <message>
        <source>Check Version</source>
        <translation>檢查版本</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>目前版本：%1</translation>
    </message>
    <message>
        <source>Game Version</source>
        <translation>遊戲版本</translation>
    </message>
    <message>
        <source>About</source>
        <translation>關於</translation>
    </message>
    <message>
        <source>Terms of Service</source>
        <translation>服務條款</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>隱私權政策</translation>
    </message>
</context>
<context>
    <name>LauncherUpdateDialog</name>
    <message>
        <source>LauncherUpdate</source>
        <translation>更新啟動器</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Update_Message</source>
        <translation>更新內容</translation>
    </message>
</context>
<context>
    <name>LauncherVersionCheck</name>
    <message>
        <source>Current version:%1</source>
        <translation>目前版本：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>已是最新版本。</translation>
    </message>
    <message>
        <source>The launcher update to version %1 did not start, so version %2 was put back. Version %1 will not be offered again automatically.</source>
        <translation>啟動器版本 %1 未能啟動，已還原為版本 %2。今後不會再自動推薦版本 %1。</translation>
    </message>
</context>
<context>
    <name>LogoReset</name>
    <message>
        <source>resetLauncherData</source>
        <translation>確定要重設啟動器嗎？下載內容、圖片、本機資料和全部設定都將被刪除。</translation>
    </message>
    <message>
        <source>resetRefusedBusy</source>
        <translation>遊戲正在下載或安裝，暫時無法重設啟動器。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Launcher %1</source>
        <translation>啟動器 %1</translation>
    </message>
    <message>
        <source>Asking the update service...</source>
        <translation>正在查詢更新服務...</translation>
    </message>
    <message>
        <source>Quillmere %1 is ready to install</source>
        <translation>奎爾米爾 %1 已可安裝</translation>
    </message>
    <message>
        <source>Update %1 is available</source>
        <translation>有可用更新 %1</translation>
    </message>
    <message>
        <source>The game is up to date</source>
        <translation>遊戲已是最新版本</translation>
    </message>
    <message>
        <source>The update service cannot be reached</source>
        <translation>無法連線更新服務</translation>
    </message>
    <message>
        <source>Launcher %1 (version %2 is available)</source>
        <translation>啟動器 %1（可更新至 %2）</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>伺服器錯誤，無法取得版本資訊。</translation>
    </message>
    <message>
        <source>ExeError</source>
        <translation>檔案已損毀，請點擊下方按鈕重新安裝。</translation>
    </message>
    <message>
        <source>ExeSomeError(%1-%2)。</source>
        <translation>下載出錯，請在啟動器設定中清除安裝資源後重新下載。(%1-%2)</translation>
    </message>
    <message>
        <source>FileSpaceLimit</source>
        <translation>磁碟空間不足，請清理空間後重試。</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>重試</translation>
    </message>
    <message>
        <source>ExitApp</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>ReDownload</source>
        <translation>重新下載</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>label_downloadstatus</source>
        <translation>載入中……</translation>
    </message>
    <message>
        <source>label_fileSizeText</source>
        <translation>(%1/%2)</translation>
    </message>
    <message>
        <source>label_process</source>
        <translation>正在安裝 %1%</translation>
    </message>
    <message>
        <source>label_process_zip</source>
        <translation>正在安裝：%1%</translation>
    </message>
    <message>
        <source>label_status_downloading</source>
        <translation>下載中</translation>
    </message>
    <message>
        <source>label_status_downloadstop</source>
        <translation>已暫停</translation>
    </message>
    <message>
        <source>label_downloadSpeed</source>
        <translation>下載速度：%1</translation>
    </message>
    <message>
        <source>label_timeText</source>
        <translation>預計剩餘時間：%1</translation>
    </message>
    <message>
        <source>label_installingArchives</source>
        <translation>正在安裝 %1/%2</translation>
    </message>
    <message>
        <source>label_installedArchives</source>
        <translation>已安裝 %1/%2</translation>
    </message>
    <message>
        <source>label_retryingIn</source>
        <translation>%1 秒後重試</translation>
    </message>
    <message>
        <source>label_offlineRetrying</source>
        <translation>離線 — %1 秒後重試</translation>
    </message>
    <message>
        <source>game_title</source>
        <translation>奎爾米爾</translation>
    </message>
    <message>
        <source>MinToolTip</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>CloseToolTip</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>OpenToolTip</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>accessible_settings</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>accessible_install</source>
        <translation>安裝遊戲</translation>
    </message>
    <message>
        <source>accessible_update</source>
        <translation>更新遊戲</translation>
    </message>
    <message>
        <source>accessible_unzip</source>
        <translation>安裝已下載的遊戲</translation>
    </message>
    <message>
        <source>accessible_play</source>
        <translation>開始遊戲</translation>
    </message>
    <message>
        <source>accessible_pause</source>
        <translation>暫停下載</translation>
    </message>
    <message>
        <source>accessible_resume</source>
        <translation>繼續下載</translation>
    </message>
    <message>
        <source>accessible_playSettings</source>
        <translation>遊戲選項</translation>
    </message>
    <message>
        <source>accessible_downloadProgress</source>
        <translation>下載進度</translation>
    </message>
    <message>
        <source>accessible_installProgress</source>
        <translation>安裝進度</translation>
    </message>
    <message>
        <source>accessible_banner</source>
        <translation>橫幅：按 Enter 開啟，方向鍵切換</translation>
    </message>
    <message>
        <source>accessible_previousBanner</source>
        <translation>上一張橫幅</translation>
    </message>
    <message>
        <source>accessible_nextBanner</source>
        <translation>下一張橫幅</translation>
    </message>
    <message>
        <source>ExitOnDownloading</source>
        <translation>遊戲正在下載，確定要關閉啟動器嗎？</translation>
    </message>
    <message>
        <source>ExitOnInstalling</source>
        <translation>遊戲正在安裝，確定要關閉啟動器嗎？</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>清除資源</translation>
    </message>
    <message>
        <source>checkUpddate</source>
        <translation>檢查更新</translation>
    </message>
    <message>
        <source>verifyGameFiles</source>
        <translation>驗證檔案</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>確定要清除所有安裝資源嗎？</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>目前版本：%1</translation>
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
        <translation>發現新版本（%1），是否立即更新？</translation>
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
        <translation>連線中...</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>前往官网网站</source>
        <translation>前往官方網站</translation>
    </message>
    <message>
        <source>前往TapTap</source>
        <translation>前往TapTap</translation>
    </message>
    <message>
        <source>扫码关注公众号</source>
        <translation>掃碼關注公眾號</translation>
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
        <translation>聯繫客服</translation>
    </message>
    <message>
        <source>开源许可</source>
        <translation>開源許可</translation>
    </message>
    <message>
        <source>oversea_home</source>
        <translation>官網</translation>
    </message>
    <message>
        <source>payweb</source>
        <translation>官方儲值</translation>
    </message>
</context>
<context>
    <name>QmlCommonConfigs</name>
    <message>
        <source>fontFamily</source>
        <translation>Noto Sans CJK TC</translation>
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
        <translation>確認</translation>
    </message>
</context>
<context>
    <name>SettingsModel</name>
    <message>
        <source>restartOnModifyingLanguage</source>
        <translation>切換語言需要重新開啟啟動器，是否立即重新開啟？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>Choose File</source>
        <translation>開啟檔案</translation>
    </message>
    <message>
        <source>Game(quillmere.exe);;All Files (*.*)</source>
        <translation>遊戲 (quillmere.exe);;所有檔案 (*.*)</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>找不到遊戲資源，請確認路徑正確或取得最新的遊戲。</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>確定要清除所有安裝資源嗎？</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>伺服器錯誤，無法取得版本資訊。</translation>
    </message>
    <message>
        <source>New Version found, update now?</source>
        <translation>發現新版本（%1），是否立即更新？</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>連線中...</translation>
    </message>
    <message>
        <source>DownloadingGameNow</source>
        <translation>遊戲正在下載中</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>目前版本：%1</translation>
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
        <translation>活動</translation>
    </message>
    <message>
        <source>Tabs_News</source>
        <translation>新聞</translation>
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
        <translation>%1小時</translation>
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
        <translation>更新啟動器</translation>
    </message>
    <message>
        <source>LauncherUpdateMessage</source>
        <translation>更新內容：</translation>
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
        <translation>Quillmere 啟動器更新</translation>
    </message>
    <message>
        <source>Updating the launcher to %1</source>
        <translation>正在將啟動器更新至 %1</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>更新進度</translation>
    </message>
    <message>
        <source>Waiting for the launcher to close...</source>
        <translation>正在等待啟動器關閉…</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>正在下載…</translation>
    </message>
    <message>
        <source>Unpacking...</source>
        <translation>正在解壓縮…</translation>
    </message>
    <message>
        <source>Replacing the launcher's files...</source>
        <translation>正在替換啟動器檔案…</translation>
    </message>
    <message>
        <source>Starting the new launcher...</source>
        <translation>正在啟動新版啟動器…</translation>
    </message>
    <message>
        <source>The new launcher did not start; restoring the previous one...</source>
        <translation>新版啟動器未能啟動，正在還原舊版本…</translation>
    </message>
    <message>
        <source>The launcher is up to date.</source>
        <translation>啟動器已是最新版本。</translation>
    </message>
    <message>
        <source>Version %1 did not start; the previous version was restored.</source>
        <translation>版本 %1 未能啟動，已還原為舊版本。</translation>
    </message>
    <message>
        <source>The launcher could not be updated; nothing was changed.</source>
        <translation>啟動器更新失敗，未做任何變更。</translation>
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
        <translation>確認</translation>
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
        <translation>確認</translation>
    </message>
</context>
<context>
    <name>VerifyFlow</name>
    <message>
        <source>verifyNoRecord</source>
        <translation>此安裝尚無檔案記錄。請重新安裝遊戲後再進行驗證。</translation>
    </message>
    <message>
        <source>verifyNoRecordReinstall</source>
        <translation>此安裝沒有檔案記錄，無法驗證。現在清除並重新下載遊戲嗎？</translation>
    </message>
    <message>
        <source>verifyRunning</source>
        <translation>正在驗證遊戲檔案…</translation>
    </message>
    <message>
        <source>accessible_verifyPause</source>
        <translation>暫停驗證</translation>
    </message>
    <message>
        <source>accessible_verifyResume</source>
        <translation>繼續驗證</translation>
    </message>
    <message>
        <source>accessible_verifyCancel</source>
        <translation>取消驗證</translation>
    </message>
    <message>
        <source>accessible_verifyProgress</source>
        <translation>驗證進度</translation>
    </message>
    <message>
        <source>verifyProgress</source>
        <translation>%1/%2 個檔案 · %3/%4 · %5</translation>
    </message>
    <message>
        <source>verifyTimeLeft</source>
        <translation>（約剩 %1）</translation>
    </message>
    <message>
        <source>verifyIntact</source>
        <translation>全部 %1 個遊戲檔案完好。</translation>
    </message>
    <message>
        <source>verifyDamaged</source>
        <translation>%1 個遊戲檔案遺失或損壞。現在修復嗎？</translation>
    </message>
    <message>
        <source>verifyMissingFile</source>
        <translation>缺少：%1</translation>
    </message>
    <message>
        <source>verifyDamagedFile</source>
        <translation>已損壞：%1</translation>
    </message>
    <message>
        <source>verifyMoreFiles</source>
        <translation>…另外 %1 個</translation>
    </message>
    <message>
        <source>verifyStartDamaged</source>
        <translation>啟動器上次未正常結束，現有 %1 個遊戲檔案遺失或損壞。現在修復嗎？</translation>
    </message>
    <message>
        <source>verifyRepairing</source>
        <translation>正在修復遊戲檔案…</translation>
    </message>
    <message>
        <source>verifyGameRunning</source>
        <translation>遊戲正在執行。請關閉遊戲後再次驗證遊戲檔案以進行修復。</translation>
    </message>
    <message>
        <source>verifyRepaired</source>
        <translation>已修復 %1 個遊戲檔案。</translation>
    </message>
    <message>
        <source>verifyRepairFailed</source>
        <translation>%1 個遊戲檔案無法修復。請檢查網路連線後重試。</translation>
    </message>
    <message>
        <source>verifyInstallUnderWay</source>
        <translation>遊戲的安裝或更新尚未完成。請等待其完成後再驗證遊戲檔案。</translation>
    </message>
    <message>
        <source>verifyPaused</source>
        <translation>驗證已暫停</translation>
    </message>
    <message>
        <source>verifyFilesBytes</source>
        <translation>%1 / %2 個檔案 · %3 / %4</translation>
    </message>
</context>
</TS>
