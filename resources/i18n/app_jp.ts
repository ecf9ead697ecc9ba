<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ja" sourcelanguage="en">
<context>
    <name>CloseAppDialog</name>
    <message>
        <source>CloseDialogTips</source>
        <translation>ウィンドウを閉じますか、
それとも最小化しますか？</translation>
    </message>
    <message>
        <source>miniRadioTips</source>
        <translation>閉じるときにランチャーを最小化</translation>
    </message>
    <message>
        <source>closeRadioTips</source>
        <translation>ランチャーを終了</translation>
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
        <translation>申し訳ありません。プログラムがクラッシュしたため、
終了する必要があります。
エラーコード：%1、エラーメッセージ：%2</translation>
    </message>
</context>
<context>
    <name>DeleteGameResourceDialog</name>
    <message>
        <source>DeleteResourceing</source>
        <translation>リソースを削除しています。
しばらくお待ちください...</translation>
    </message>
    <message>
        <source>DeleteResourceOk</source>
        <translation>リソースを削除しました！</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>DeleteResourceRefused</source>
        <translation>ゲームリソースは削除されませんでした。
インストール先にゲームがないか、
インストール中です。</translation>
    </message>
    <message>
        <source>DeleteResourceGameRunning</source>
        <translation>ゲームが実行中です。
リソースを削除する前にゲームを終了してください。</translation>
    </message>
</context>
<context>
    <name>DownloadPathSettingDialog</name>
    <message>
        <source>pathsetting_title</source>
        <translation>インストール先の選択</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>変更</translation>
    </message>
    <message>
        <source>Label_ZipSize</source>
        <translation>パッケージサイズ：</translation>
    </message>
    <message>
        <source>Label_ZipRoom</source>
        <translation>展開に必要な容量：</translation>
    </message>
    <message>
        <source>Label_DirRoom</source>
        <translation>空き容量：</translation>
    </message>
    <message>
        <source>dirroom_error</source>
        <translation>ドライブの空き容量が不足しています。別の場所を選択してください。</translation>
    </message>
    <message>
        <source>PushButton_comfir</source>
        <translation>インストール</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>フォルダーを開く</translation>
    </message>
</context>
<context>
    <name>GameInstallPlugin</name>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>サーバーエラーのため、
バージョン情報を取得できません。</translation>
    </message>
</context>
<context>
    <name>GameLauncher</name>
    <message>
        <source>gameStartFailed</source>
        <translation>ゲームを起動できませんでした。
もう一度お試しいただくか、
ゲームを再インストールしてください。</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>ゲームリソースが見つかりません。
パスが正しいことを確認するか、
最新のゲームを入手してください。</translation>
    </message>
</context>
<context>
    <name>H5EventWidget</name>
    <message>
        <source>h5event_text</source>
        <translation>イベント</translation>
    </message>
</context>
<context>
    <name>InstallMoveCommand</name>
    <message>
        <source>Name the folder to move the game to.</source>
        <translation>ゲームの移動先フォルダーを指定してください。</translation>
    </message>
    <message>
        <source>The launcher is running. Close it, then move the game.</source>
        <translation>ランチャーが起動中です。ランチャーを終了してからゲームを移動してください。</translation>
    </message>
</context>
<context>
    <name>InstallMover</name>
    <message>
        <source>Choose a folder for the game</source>
        <translation>ゲームのフォルダーを選択</translation>
    </message>
    <message>
        <source>Choose an empty or new folder: %1 is not empty.</source>
        <translation>空のフォルダーか新しいフォルダーを選択してください。%1 は空ではありません。</translation>
    </message>
    <message>
        <source>Move the installed game to %1?</source>
        <translation>インストール済みのゲームを %1 に移動しますか？</translation>
    </message>
    <message>
        <source>Moving the game from %1 to %2 ...</source>
        <translation>ゲームを %1 から %2 に移動しています…</translation>
    </message>
    <message>
        <source>Moving the game: %1% (%2 of %3, %4 of %5 files)</source>
        <translation>ゲームを移動中：%1%（%2 / %3、ファイル %4 / %5）</translation>
    </message>
    <message>
        <source>Not enough space for the game: it needs %1, the drive of the new folder has %2.</source>
        <translation>空き容量が足りません。ゲームには %1 必要ですが、移動先のドライブの空きは %2 です。</translation>
    </message>
    <message>
        <source>The game could not be copied (%1). It stays in %2.</source>
        <translation>ゲームをコピーできませんでした（%1）。ゲームは %2 に残っています。</translation>
    </message>
    <message>
        <source>The game is already in %1.</source>
        <translation>ゲームはすでに %1 にあります。</translation>
    </message>
    <message>
        <source>The game is being installed. Move it once the install has finished.</source>
        <translation>ゲームをインストール中です。インストールが終わってから移動してください。</translation>
    </message>
    <message>
        <source>The game is running. Close it, then move it.</source>
        <translation>ゲームが起動中です。ゲームを終了してから移動してください。</translation>
    </message>
    <message>
        <source>The game was moved to %1, but its old folder %2 could not be removed completely.</source>
        <translation>ゲームを %1 に移動しましたが、元のフォルダー %2 を完全には削除できませんでした。</translation>
    </message>
    <message>
        <source>The game was moved to %1.</source>
        <translation>ゲームを %1 に移動しました。</translation>
    </message>
    <message>
        <source>The move was cancelled. The game stays in %1.</source>
        <translation>移動を取り消しました。ゲームは %1 に残っています。</translation>
    </message>
    <message>
        <source>The new folder cannot be inside the game folder, nor hold it.</source>
        <translation>移動先のフォルダーは、ゲームのフォルダーの中にも、ゲームのフォルダーを含む場所にもできません。</translation>
    </message>
    <message>
        <source>The new folder could not be recorded. The game stays in %1.</source>
        <translation>新しいフォルダーを記録できませんでした。ゲームは %1 に残っています。</translation>
    </message>
    <message>
        <source>There is no installed game to move.</source>
        <translation>移動できるインストール済みのゲームがありません。</translation>
    </message>
</context>
<context>
    <name>KVNoticePage</name>
    <message>
        <source>Warning</source>
        <translation>お知らせ</translation>
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
        <translation>ランチャー設定</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>一般設定</translation>
    </message>
    <message>
        <source>Download Settings</source>
        <translation>ダウンロード設定</translation>
    </message>
    <message>
        <source>Version Info</source>
        <translation>バージョン情報</translation>
    </message>
    <message>
        <source>languageIndex</source>
        <translation>2</translation>
    </message>
</context>
<context>
    <name>KVSettings4Download</name>
    <message>
        <source>Limit Download Speed</source>
        <translation>ダウンロード速度の制限</translation>
    </message>
    <message>
        <source>No limit</source>
        <translation>制限なし</translation>
    </message>
    <message>
        <source>Installation Location</source>
        <translation>インストール先</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>変更</translation>
    </message>
    <message>
        <source>Verify Game Files</source>
        <translation>ゲームファイルの検証</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>検証</translation>
    </message>
    <message>
        <source>Clear Installation</source>
        <translation>インストールリソースの削除</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>削除</translation>
    </message>
</context>
<context>
    <name>KVSettings4General</name>
    <message>
        <source>Launch Settings</source>
        <translation>起動設定</translation>
    </message>
    <message>
        <source>Auto-launch at startup</source>
        <translation>パソコン起動時に自動起動</translation>
    </message>
    <message>
        <source>Close Settings</source>
        <translation>終了設定</translation>
    </message>
    <message>
        <source>Close to minimize launcher</source>
        <translation>閉じるときにランチャーを最小化</translation>
    </message>
    <message>
        <source>Notification Setting</source>
        <translation>通知設定</translation>
    </message>
    <message>
        <source>Enable Launcher Notification</source>
        <translation>ランチャーの通知を有効にする</translation>
    </message>
    <message>
        <source>Launcher Language</source>
        <translation>ランチャーの言語</translation>
    </message>
</context>
<context>
    <name>KVSettings4VersionInfo</name>
    <message>
        <source>Launcher Version</source>
        <translation>ランチャーのバージョン</translation>
    </message>
    <message>
        <source>Check Version</source>
        <translation>バージョン確認</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>現在のバージョン：%1</translation>
    </message>
    <message>
        <source>Game Version</source>
        <translation>ゲームのバージョン</translation>
    </message>
    <message>
        <source>About</source>
        <translation>このアプリについて</translation>
    </message>
    <message>
        <source>Terms of Service</source>
        <translation>利用規約</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>プライバシーポリシー</translation>
    </message>
</context>
<context>
    <name>LauncherUpdateDialog</name>
    <message>
        <source>LauncherUpdate</source>
        <translation>ランチャーの更新</translation>
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
        <translation>現在のバージョン：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>最新バージョンです。</translation>
    </message>
    <message>
        <source>The launcher update to version %1 did not start, so version %2 was put back. Version %1 will not be offered again automatically.</source>
        <translation>ランチャーのバージョン %1 が起動しなかったため、バージョン %2 に戻しました。バージョン %1 は今後自動では案内されません。</translation>
    </message>
</context>
<context>
    <name>LogoReset</name>
    <message>
        <source>resetLauncherData</source>
        <translation>ランチャーをリセットしますか？
ダウンロード、画像、ローカルデータと
すべての設定が削除されます。</translation>
    </message>
    <message>
        <source>resetRefusedBusy</source>
        <translation>ゲームのダウンロード中またはインストール中は、
ランチャーをリセットできません。</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Launcher %1</source>
        <translation>ランチャー %1</translation>
    </message>
    <message>
        <source>Asking the update service...</source>
        <translation>更新サービスに問い合わせています...</translation>
    </message>
    <message>
        <source>Quillmere %1 is ready to install</source>
        <translation>クイルミア %1 をインストールできます</translation>
    </message>
    <message>
        <source>Update %1 is available</source>
        <translation>アップデート %1 があります</translation>
    </message>
    <message>
        <source>The game is up to date</source>
        <translation>ゲームは最新です</translation>
    </message>
    <message>
        <source>The update service cannot be reached</source>
        <translation>更新サービスに接続できません</translation>
    </message>
    <message>
        <source>Launcher %1 (version %2 is available)</source>
        <translation>ランチャー %1（バージョン %2 が利用可能）</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>サーバーエラーのため、
バージョン情報を取得できません。</translation>
    </message>
    <message>
        <source>ExeError</source>
        <translation>ファイルが破損しています。
下のボタンをクリックして再インストールしてください。</translation>
    </message>
    <message>
        <source>ExeSomeError(%1-%2)。</source>
        <translation>ダウンロードエラーです。
ランチャー設定でインストールリソースを削除してから、
再度ダウンロードしてください。(%1-%2)</translation>
    </message>
    <message>
        <source>FileSpaceLimit</source>
        <translation>ドライブの空き容量が不足しています。
空き容量を確保してから再度お試しください。</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>再試行</translation>
    </message>
    <message>
        <source>ExitApp</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>ReDownload</source>
        <translation>再ダウンロード</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>label_downloadstatus</source>
        <translation>読み込み中……</translation>
    </message>
    <message>
        <source>label_fileSizeText</source>
        <translation>(%1/%2)</translation>
    </message>
    <message>
        <source>label_process</source>
        <translation>インストール中 %1%</translation>
    </message>
    <message>
        <source>label_process_zip</source>
        <translation>インストール中：%1%</translation>
    </message>
    <message>
        <source>label_status_downloading</source>
        <translation>ダウンロード中</translation>
    </message>
    <message>
        <source>label_status_downloadstop</source>
        <translation>一時停止中</translation>
    </message>
    <message>
        <source>label_downloadSpeed</source>
        <translation>ダウンロード速度：%1</translation>
    </message>
    <message>
        <source>label_timeText</source>
        <translation>残り時間（目安）：%1</translation>
    </message>
    <message>
        <source>label_installingArchives</source>
        <translation>インストール中 %1/%2</translation>
    </message>
    <message>
        <source>label_installedArchives</source>
        <translation>インストール済み %1/%2</translation>
    </message>
    <message>
        <source>label_retryingIn</source>
        <translation>%1 秒後に再試行します</translation>
    </message>
    <message>
        <source>label_offlineRetrying</source>
        <translation>オフライン — %1 秒後に再試行します</translation>
    </message>
    <message>
        <source>game_title</source>
        <translation>クイルミア</translation>
    </message>
    <message>
        <source>MinToolTip</source>
        <translation>最小化</translation>
    </message>
    <message>
        <source>CloseToolTip</source>
        <translation>閉じる</translation>
    </message>
    <message>
        <source>OpenToolTip</source>
        <translation>開く</translation>
    </message>
    <message>
        <source>accessible_settings</source>
        <translation>設定</translation>
    </message>
    <message>
        <source>accessible_install</source>
        <translation>ゲームをインストール</translation>
    </message>
    <message>
        <source>accessible_update</source>
        <translation>ゲームを更新</translation>
    </message>
    <message>
        <source>accessible_unzip</source>
        <translation>ダウンロードしたゲームをインストール</translation>
    </message>
    <message>
        <source>accessible_play</source>
        <translation>プレイ</translation>
    </message>
    <message>
        <source>accessible_pause</source>
        <translation>ダウンロードを一時停止</translation>
    </message>
    <message>
        <source>accessible_resume</source>
        <translation>ダウンロードを再開</translation>
    </message>
    <message>
        <source>accessible_playSettings</source>
        <translation>ゲームのオプション</translation>
    </message>
    <message>
        <source>accessible_downloadProgress</source>
        <translation>ダウンロードの進行状況</translation>
    </message>
    <message>
        <source>accessible_installProgress</source>
        <translation>インストールの進行状況</translation>
    </message>
    <message>
        <source>accessible_banner</source>
        <translation>バナー：Enter で開き、矢印キーで切り替え</translation>
    </message>
    <message>
        <source>accessible_previousBanner</source>
        <translation>前のバナー</translation>
    </message>
    <message>
        <source>accessible_nextBanner</source>
        <translation>次のバナー</translation>
    </message>
    <message>
        <source>ExitOnDownloading</source>
        <translation>ゲームをダウンロード中です。
アプリを閉じてもよろしいですか？</translation>
    </message>
    <message>
        <source>ExitOnInstalling</source>
        <translation>ゲームをインストール中です。
アプリを閉じてもよろしいですか？</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>リソース削除</translation>
    </message>
    <message>
        <source>checkUpddate</source>
        <translation>更新を確認</translation>
    </message>
    <message>
        <source>verifyGameFiles</source>
        <translation>ファイル検証</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>インストールリソースをすべて削除しますか？</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>現在のバージョン：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>最新バージョンです。</translation>
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
        <translation>新しいバージョン（%1）が見つかりました。
今すぐ更新しますか？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>接続中...</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>前往官网网站</source>
        <translation>公式サイトへ</translation>
    </message>
    <message>
        <source>前往TapTap</source>
        <translation>TapTapへ</translation>
    </message>
    <message>
        <source>扫码关注公众号</source>
        <translation>公式WeChat</translation>
    </message>
    <message>
        <source>前往B站</source>
        <translation>ビリビリへ</translation>
    </message>
    <message>
        <source>加入官方QQ群</source>
        <translation>QQグループ</translation>
    </message>
    <message>
        <source>前往官方微博</source>
        <translation>公式Weiboへ</translation>
    </message>
    <message>
        <source>联系客服</source>
        <translation>サポート</translation>
    </message>
    <message>
        <source>开源许可</source>
        <translation>ライセンス</translation>
    </message>
    <message>
        <source>oversea_home</source>
        <translation>公式サイト</translation>
    </message>
    <message>
        <source>payweb</source>
        <translation>チャージ</translation>
    </message>
</context>
<context>
    <name>QmlCommonConfigs</name>
    <message>
        <source>fontFamily</source>
        <translation>Meiryo UI</translation>
    </message>
</context>
<context>
    <name>SettingCommonDialog</name>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
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
        <translation>言語を変更するにはランチャーの再起動が必要です。
今すぐ再起動しますか？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>キャンセル</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>確認</translation>
    </message>
    <message>
        <source>Choose File</source>
        <translation>ファイルを開く</translation>
    </message>
    <message>
        <source>Game(quillmere.exe);;All Files (*.*)</source>
        <translation>ゲーム (quillmere.exe);;すべてのファイル (*.*)</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>ゲームリソースが見つかりません。
パスが正しいことを確認するか、
最新のゲームを入手してください。</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>インストールリソースをすべて削除しますか？</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>サーバーエラーのため、
バージョン情報を取得できません。</translation>
    </message>
    <message>
        <source>New Version found, update now?</source>
        <translation>新しいバージョン（%1）が見つかりました。
今すぐ更新しますか？</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>更新</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>接続中...</translation>
    </message>
    <message>
        <source>DownloadingGameNow</source>
        <translation>すでにダウンロード中です</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>現在のバージョン：%1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>最新バージョンです。</translation>
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
        <translation>お知らせ</translation>
    </message>
    <message>
        <source>Tabs_Event</source>
        <translation>イベント</translation>
    </message>
    <message>
        <source>Tabs_News</source>
        <translation>ニュース</translation>
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
        <translation>%1日</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1時間</translation>
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
        <translation>ランチャーの更新</translation>
    </message>
    <message>
        <source>LauncherUpdateMessage</source>
        <translation>更新内容：</translation>
    </message>
    <message>
        <source>LauncherUpdateCancel</source>
        <translation>キャンセル</translation>
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
        <translation>Quillmere ランチャーの更新</translation>
    </message>
    <message>
        <source>Updating the launcher to %1</source>
        <translation>ランチャーを %1 に更新しています</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>更新の進行状況</translation>
    </message>
    <message>
        <source>Waiting for the launcher to close...</source>
        <translation>ランチャーの終了を待っています…</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>ダウンロード中…</translation>
    </message>
    <message>
        <source>Unpacking...</source>
        <translation>展開中…</translation>
    </message>
    <message>
        <source>Replacing the launcher's files...</source>
        <translation>ランチャーのファイルを置き換えています…</translation>
    </message>
    <message>
        <source>Starting the new launcher...</source>
        <translation>新しいランチャーを起動しています…</translation>
    </message>
    <message>
        <source>The new launcher did not start; restoring the previous one...</source>
        <translation>新しいランチャーが起動しないため、元に戻しています…</translation>
    </message>
    <message>
        <source>The launcher is up to date.</source>
        <translation>ランチャーは最新です。</translation>
    </message>
    <message>
        <source>Version %1 did not start; the previous version was restored.</source>
        <translation>バージョン %1 が起動しなかったため、以前のバージョンに戻しました。</translation>
    </message>
    <message>
        <source>The launcher could not be updated; nothing was changed.</source>
        <translation>ランチャーを更新できませんでした。何も変更されていません。</translation>
    </message>
</context>
<context>
    <name>WarningDialogWithSingleButton</name>
    <message>
        <source>Warning</source>
        <translation>お知らせ</translation>
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
        <translation>キャンセル</translation>
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
        <translation>このインストールにはファイルの記録がありません。検証するにはゲームを再インストールしてください。</translation>
    </message>
    <message>
        <source>verifyNoRecordReinstall</source>
        <translation>このインストールにはファイルの記録がないため、検証できません。今すぐ削除してゲームを再ダウンロードしますか？</translation>
    </message>
    <message>
        <source>verifyRunning</source>
        <translation>ゲームファイルを検証しています…</translation>
    </message>
    <message>
        <source>accessible_verifyPause</source>
        <translation>検証を一時停止</translation>
    </message>
    <message>
        <source>accessible_verifyResume</source>
        <translation>検証を再開</translation>
    </message>
    <message>
        <source>accessible_verifyCancel</source>
        <translation>検証をキャンセル</translation>
    </message>
    <message>
        <source>accessible_verifyProgress</source>
        <translation>検証の進行状況</translation>
    </message>
    <message>
        <source>verifyProgress</source>
        <translation>%2 個中 %1 個のファイル · %4 中 %3 · %5</translation>
    </message>
    <message>
        <source>verifyTimeLeft</source>
        <translation>（残り約 %1）</translation>
    </message>
    <message>
        <source>verifyIntact</source>
        <translation>%1 個のゲームファイルはすべて正常です。</translation>
    </message>
    <message>
        <source>verifyDamaged</source>
        <translation>%1 個のゲームファイルが見つからないか破損しています。今すぐ修復しますか？</translation>
    </message>
    <message>
        <source>verifyMissingFile</source>
        <translation>欠落: %1</translation>
    </message>
    <message>
        <source>verifyDamagedFile</source>
        <translation>破損: %1</translation>
    </message>
    <message>
        <source>verifyMoreFiles</source>
        <translation>…ほか %1 件</translation>
    </message>
    <message>
        <source>verifyStartDamaged</source>
        <translation>前回ランチャーが正常に終了しなかったため、%1 個のゲームファイルが見つからないか破損しています。今すぐ修復しますか？</translation>
    </message>
    <message>
        <source>verifyRepairing</source>
        <translation>ゲームファイルを修復しています…</translation>
    </message>
    <message>
        <source>verifyGameRunning</source>
        <translation>ゲームが実行中です。ゲームを終了してから、もう一度ゲームファイルを検証して修復してください。</translation>
    </message>
    <message>
        <source>verifyRepaired</source>
        <translation>%1 個のゲームファイルを修復しました。</translation>
    </message>
    <message>
        <source>verifyRepairFailed</source>
        <translation>%1 個のゲームファイルを修復できませんでした。接続を確認して、もう一度お試しください。</translation>
    </message>
    <message>
        <source>verifyInstallUnderWay</source>
        <translation>ゲームのインストールまたはアップデートが完了していません。完了してからゲームファイルを検証してください。</translation>
    </message>
    <message>
        <source>verifyPaused</source>
        <translation>検証を一時停止中</translation>
    </message>
    <message>
        <source>verifyFilesBytes</source>
        <translation>%1 / %2 ファイル · %3 / %4</translation>
    </message>
</context>
</TS>
