<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ko" sourcelanguage="en">
<context>
    <name>CloseAppDialog</name>
    <message>
        <source>CloseDialogTips</source>
        <translation>창을 닫으시겠습니까, 아니면 최소화하시겠습니까?</translation>
    </message>
    <message>
        <source>miniRadioTips</source>
        <translation>닫을 때 런처 최소화</translation>
    </message>
    <message>
        <source>closeRadioTips</source>
        <translation>런처 종료</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>CrashNotice</name>
    <message>
        <source>crashNotice</source>
        <translation>죄송합니다. 프로그램이 비정상적으로 종료되어 닫아야 합니다.
오류 코드: %1, 오류 메시지: %2</translation>
    </message>
</context>
<context>
    <name>DeleteGameResourceDialog</name>
    <message>
        <source>DeleteResourceing</source>
        <translation>리소스를 삭제하는 중입니다. 잠시만 기다려 주세요...</translation>
    </message>
    <message>
        <source>DeleteResourceOk</source>
        <translation>리소스가 삭제되었습니다!</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>DeleteResourceRefused</source>
        <translation>게임 리소스를 삭제하지 않았습니다. 설치 폴더에 게임이 없거나 설치가 진행 중입니다.</translation>
    </message>
    <message>
        <source>DeleteResourceGameRunning</source>
        <translation>게임이 실행 중입니다. 리소스를 삭제하기 전에 게임을 종료하세요.</translation>
    </message>
</context>
<context>
    <name>DownloadPathSettingDialog</name>
    <message>
        <source>pathsetting_title</source>
        <translation>설치 위치 선택</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>변경</translation>
    </message>
    <message>
        <source>Label_ZipSize</source>
        <translation>패키지 크기:</translation>
    </message>
    <message>
        <source>Label_ZipRoom</source>
        <translation>압축 해제에 필요한 공간:</translation>
    </message>
    <message>
        <source>Label_DirRoom</source>
        <translation>사용 가능한 공간:</translation>
    </message>
    <message>
        <source>dirroom_error</source>
        <translation>드라이브 공간이 부족합니다. 다른 위치를 선택해 주세요.</translation>
    </message>
    <message>
        <source>PushButton_comfir</source>
        <translation>설치</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>폴더 열기</translation>
    </message>
</context>
<context>
    <name>GameInstallPlugin</name>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>서버 오류로 버전 정보를 가져올 수 없습니다.</translation>
    </message>
</context>
<context>
    <name>GameLauncher</name>
    <message>
        <source>gameStartFailed</source>
        <translation>게임을 시작할 수 없습니다. 다시 시도하거나 게임을 다시 설치해 주세요.</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>게임 리소스를 찾을 수 없습니다. 경로가 올바른지 확인하거나 최신 게임을 받아 주세요.</translation>
    </message>
</context>
<context>
    <name>H5EventWidget</name>
    <message>
        <source>h5event_text</source>
        <translation>이벤트</translation>
    </message>
</context>
<context>
    <name>InstallMoveCommand</name>
    <message>
        <source>Name the folder to move the game to.</source>
        <translation>게임을 옮길 폴더를 지정해 주세요.</translation>
    </message>
    <message>
        <source>The launcher is running. Close it, then move the game.</source>
        <translation>런처가 실행 중입니다. 런처를 종료한 후 게임을 옮겨 주세요.</translation>
    </message>
</context>
<context>
    <name>InstallMover</name>
    <message>
        <source>Choose a folder for the game</source>
        <translation>게임 폴더 선택</translation>
    </message>
    <message>
        <source>Choose an empty or new folder: %1 is not empty.</source>
        <translation>비어 있거나 새 폴더를 선택해 주세요. %1 폴더가 비어 있지 않습니다.</translation>
    </message>
    <message>
        <source>Move the installed game to %1?</source>
        <translation>설치된 게임을 %1(으)로 옮길까요?</translation>
    </message>
    <message>
        <source>Moving the game from %1 to %2 ...</source>
        <translation>게임을 %1에서 %2(으)로 옮기는 중...</translation>
    </message>
    <message>
        <source>Moving the game: %1% (%2 of %3, %4 of %5 files)</source>
        <translation>게임 이동 중: %1% (%2 / %3, 파일 %4 / %5개)</translation>
    </message>
    <message>
        <source>Not enough space for the game: it needs %1, the drive of the new folder has %2.</source>
        <translation>공간이 부족합니다. 게임에 %1이(가) 필요하지만 새 폴더의 드라이브에는 %2만 남아 있습니다.</translation>
    </message>
    <message>
        <source>The game could not be copied (%1). It stays in %2.</source>
        <translation>게임을 복사할 수 없습니다(%1). 게임은 %2에 그대로 있습니다.</translation>
    </message>
    <message>
        <source>The game is already in %1.</source>
        <translation>게임이 이미 %1에 있습니다.</translation>
    </message>
    <message>
        <source>The game is being installed. Move it once the install has finished.</source>
        <translation>게임을 설치하는 중입니다. 설치가 끝난 후 옮겨 주세요.</translation>
    </message>
    <message>
        <source>The game is running. Close it, then move it.</source>
        <translation>게임이 실행 중입니다. 게임을 종료한 후 옮겨 주세요.</translation>
    </message>
    <message>
        <source>The game was moved to %1, but its old folder %2 could not be removed completely.</source>
        <translation>게임을 %1(으)로 옮겼지만 이전 폴더 %2을(를) 완전히 삭제하지 못했습니다.</translation>
    </message>
    <message>
        <source>The game was moved to %1.</source>
        <translation>게임을 %1(으)로 옮겼습니다.</translation>
    </message>
    <message>
        <source>The move was cancelled. The game stays in %1.</source>
        <translation>이동을 취소했습니다. 게임은 %1에 그대로 있습니다.</translation>
    </message>
    <message>
        <source>The new folder cannot be inside the game folder, nor hold it.</source>
        <translation>새 폴더는 게임 폴더 안에 있거나 게임 폴더를 포함할 수 없습니다.</translation>
    </message>
    <message>
        <source>The new folder could not be recorded. The game stays in %1.</source>
        <translation>새 폴더를 기록할 수 없습니다. 게임은 %1에 그대로 있습니다.</translation>
    </message>
    <message>
        <source>There is no installed game to move.</source>
        <translation>옮길 수 있는 설치된 게임이 없습니다.</translation>
    </message>
</context>
<context>
    <name>KVNoticePage</name>
    <message>
        <source>Warning</source>
        <translation>알림</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>KVSettings</name>
    <message>
        <source>Launcher Settings</source>
        <translation>런처 설정</translation>
    </message>
    <message>
        <source>General Settings</source>
        <translation>일반 설정</translation>
    </message>
    <message>
        <source>Download Settings</source>
        <translation>다운로드 설정</translation>
    </message>
    <message>
        <source>Version Info</source>
        <translation>버전 정보</translation>
    </message>
    <message>
        <source>languageIndex</source>
        <translation>3</translation>
    </message>
</context>
<context>
    <name>KVSettings4Download</name>
    <message>
        <source>Limit Download Speed</source>
        <translation>다운로드 속도 제한</translation>
    </message>
    <message>
        <source>No limit</source>
        <translation>제한 없음</translation>
    </message>
    <message>
        <source>Installation Location</source>
        <translation>설치 위치</translation>
    </message>
    <message>
        <source>Change</source>
        <translation>변경</translation>
    </message>
    <message>
        <source>Verify Game Files</source>
        <translation>게임 파일 검사</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>검사</translation>
    </message>
    <message>
        <source>Clear Installation</source>
        <translation>설치 리소스 삭제</translation>
    </message>
    <message>
        <source>Clear</source>
        <translation>삭제</translation>
    </message>
</context>
<context>
    <name>KVSettings4General</name>
    <message>
        <source>Launch Settings</source>
        <translation>실행 설정</translation>
    </message>
    <message>
        <source>Auto-launch at startup</source>
        <translation>컴퓨터 시작 시 자동 실행</translation>
    </message>
    <message>
        <source>Close Settings</source>
        <translation>닫기 설정</translation>
    </message>
    <message>
        <source>Close to minimize launcher</source>
        <translation>닫을 때 런처 최소화</translation>
    </message>
    <message>
        <source>Notification Setting</source>
        <translation>알림 설정</translation>
    </message>
    <message>
        <source>Enable Launcher Notification</source>
        <translation>런처 알림 사용</translation>
    </message>
    <message>
        <source>Launcher Language</source>
        <translation>런처 언어</translation>
    </message>
</context>
<context>
    <name>KVSettings4VersionInfo</name>
    <message>
        <source>Launcher Version</source>
        <translation>런처 버전</translation>
    </message>
    <message>
        <source>Check Version</source>
        <translation>버전 확인</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>현재 버전: %1</translation>
    </message>
    <message>
        <source>Game Version</source>
        <translation>게임 버전</translation>
    </message>
    <message>
        <source>About</source>
        <translation>정보</translation>
    </message>
    <message>
        <source>Terms of Service</source>
        <translation>서비스 약관</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>개인정보 처리방침</translation>
    </message>
</context>
<context>
    <name>LauncherUpdateDialog</name>
    <message>
        <source>LauncherUpdate</source>
        <translation>런처 업데이트</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>업데이트</translation>
    </message>
    <message>
        <source>Update_Message</source>
        <translation>업데이트 내용</translation>
    </message>
</context>
<context>
    <name>LauncherVersionCheck</name>
    <message>
        <source>Current version:%1</source>
        <translation>현재 버전: %1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>최신 버전입니다.</translation>
    </message>
    <message>
        <source>The launcher update to version %1 did not start, so version %2 was put back. Version %1 will not be offered again automatically.</source>
        <translation>런처 버전 %1이(가) 시작되지 않아 버전 %2(으)로 되돌렸습니다. 버전 %1은(는) 더 이상 자동으로 안내되지 않습니다.</translation>
    </message>
</context>
<context>
    <name>LogoReset</name>
    <message>
        <source>resetLauncherData</source>
        <translation>런처를 초기화하시겠습니까? 다운로드, 이미지, 로컬 데이터와 모든 설정이 삭제됩니다.</translation>
    </message>
    <message>
        <source>resetRefusedBusy</source>
        <translation>게임을 다운로드하거나 설치하는 중에는 런처를 초기화할 수 없습니다.</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Launcher %1</source>
        <translation>런처 %1</translation>
    </message>
    <message>
        <source>Asking the update service...</source>
        <translation>업데이트 서비스에 확인하는 중...</translation>
    </message>
    <message>
        <source>Quillmere %1 is ready to install</source>
        <translation>퀼미어 %1을(를) 설치할 수 있습니다</translation>
    </message>
    <message>
        <source>Update %1 is available</source>
        <translation>업데이트 %1을(를) 사용할 수 있습니다</translation>
    </message>
    <message>
        <source>The game is up to date</source>
        <translation>게임이 최신 상태입니다</translation>
    </message>
    <message>
        <source>The update service cannot be reached</source>
        <translation>업데이트 서비스에 연결할 수 없습니다</translation>
    </message>
    <message>
        <source>Launcher %1 (version %2 is available)</source>
        <translation>런처 %1 (버전 %2 사용 가능)</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>서버 오류로 버전 정보를 가져올 수 없습니다.</translation>
    </message>
    <message>
        <source>ExeError</source>
        <translation>파일이 손상되었습니다. 아래 버튼을 눌러 다시 설치해 주세요.</translation>
    </message>
    <message>
        <source>ExeSomeError(%1-%2)。</source>
        <translation>다운로드 오류입니다. 런처 설정에서 설치 리소스를 삭제한 후 다시 다운로드해 주세요.(%1-%2)</translation>
    </message>
    <message>
        <source>FileSpaceLimit</source>
        <translation>드라이브 공간이 부족합니다. 공간을 확보한 후 다시 시도해 주세요.</translation>
    </message>
    <message>
        <source>Retry</source>
        <translation>다시 시도</translation>
    </message>
    <message>
        <source>ExitApp</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>ReDownload</source>
        <translation>다시 다운로드</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>label_downloadstatus</source>
        <translation>불러오는 중……</translation>
    </message>
    <message>
        <source>label_fileSizeText</source>
        <translation>(%1/%2)</translation>
    </message>
    <message>
        <source>label_process</source>
        <translation>설치 중 %1%</translation>
    </message>
    <message>
        <source>label_process_zip</source>
        <translation>설치 중: %1%</translation>
    </message>
    <message>
        <source>label_status_downloading</source>
        <translation>다운로드 중</translation>
    </message>
    <message>
        <source>label_status_downloadstop</source>
        <translation>일시 정지</translation>
    </message>
    <message>
        <source>label_downloadSpeed</source>
        <translation>다운로드 속도: %1</translation>
    </message>
    <message>
        <source>label_timeText</source>
        <translation>남은 예상 시간: %1</translation>
    </message>
    <message>
        <source>label_installingArchives</source>
        <translation>설치 중 %1/%2</translation>
    </message>
    <message>
        <source>label_installedArchives</source>
        <translation>설치 완료 %1/%2</translation>
    </message>
    <message>
        <source>label_retryingIn</source>
        <translation>%1초 후 다시 시도합니다</translation>
    </message>
    <message>
        <source>label_offlineRetrying</source>
        <translation>오프라인 — %1초 후 다시 시도합니다</translation>
    </message>
    <message>
        <source>game_title</source>
        <translation>퀼미어</translation>
    </message>
    <message>
        <source>MinToolTip</source>
        <translation>최소화</translation>
    </message>
    <message>
        <source>CloseToolTip</source>
        <translation>닫기</translation>
    </message>
    <message>
        <source>OpenToolTip</source>
        <translation>열기</translation>
    </message>
    <message>
        <source>accessible_settings</source>
        <translation>설정</translation>
    </message>
    <message>
        <source>accessible_install</source>
        <translation>게임 설치</translation>
    </message>
    <message>
        <source>accessible_update</source>
        <translation>게임 업데이트</translation>
    </message>
    <message>
        <source>accessible_unzip</source>
        <translation>다운로드한 게임 설치</translation>
    </message>
    <message>
        <source>accessible_play</source>
        <translation>게임 시작</translation>
    </message>
    <message>
        <source>accessible_pause</source>
        <translation>다운로드 일시 정지</translation>
    </message>
    <message>
        <source>accessible_resume</source>
        <translation>다운로드 재개</translation>
    </message>
    <message>
        <source>accessible_playSettings</source>
        <translation>게임 옵션</translation>
    </message>
    <message>
        <source>accessible_downloadProgress</source>
        <translation>다운로드 진행률</translation>
    </message>
    <message>
        <source>accessible_installProgress</source>
        <translation>설치 진행률</translation>
    </message>
    <message>
        <source>accessible_banner</source>
        <translation>배너: Enter로 열고 화살표 키로 바꿉니다</translation>
    </message>
    <message>
        <source>accessible_previousBanner</source>
        <translation>이전 배너</translation>
    </message>
    <message>
        <source>accessible_nextBanner</source>
        <translation>다음 배너</translation>
    </message>
    <message>
        <source>ExitOnDownloading</source>
        <translation>게임을 다운로드하는 중입니다. 그래도 앱을 닫으시겠습니까?</translation>
    </message>
    <message>
        <source>ExitOnInstalling</source>
        <translation>게임을 설치하는 중입니다. 그래도 앱을 닫으시겠습니까?</translation>
    </message>
    <message>
        <source>cleared</source>
        <translation>리소스 삭제</translation>
    </message>
    <message>
        <source>checkUpddate</source>
        <translation>업데이트</translation>
    </message>
    <message>
        <source>verifyGameFiles</source>
        <translation>파일 검사</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>모든 설치 리소스를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>현재 버전: %1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>최신 버전입니다.</translation>
    </message>
    <message>
        <source>speed_none</source>
        <translation>0 KB/초</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>New Version found, update now?</source>
        <translation>새 버전(%1)이 있습니다. 지금 업데이트하시겠습니까?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>업데이트</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>연결 중...</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>前往官网网站</source>
        <translation>공식 홈페이지</translation>
    </message>
    <message>
        <source>前往TapTap</source>
        <translation>TapTap 가기</translation>
    </message>
    <message>
        <source>扫码关注公众号</source>
        <translation>WeChat 팔로우</translation>
    </message>
    <message>
        <source>前往B站</source>
        <translation>빌리빌리</translation>
    </message>
    <message>
        <source>加入官方QQ群</source>
        <translation>공식 QQ 그룹</translation>
    </message>
    <message>
        <source>前往官方微博</source>
        <translation>공식 웨이보</translation>
    </message>
    <message>
        <source>联系客服</source>
        <translation>고객센터</translation>
    </message>
    <message>
        <source>开源许可</source>
        <translation>라이선스</translation>
    </message>
    <message>
        <source>oversea_home</source>
        <translation>홈페이지</translation>
    </message>
    <message>
        <source>payweb</source>
        <translation>충전</translation>
    </message>
</context>
<context>
    <name>QmlCommonConfigs</name>
    <message>
        <source>fontFamily</source>
        <translation>Malgun Gothic</translation>
    </message>
</context>
<context>
    <name>SettingCommonDialog</name>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>SettingsModel</name>
    <message>
        <source>restartOnModifyingLanguage</source>
        <translation>언어를 변경하려면 런처를 다시 시작해야 합니다. 지금 다시 시작하시겠습니까?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
    <message>
        <source>Choose File</source>
        <translation>파일 열기</translation>
    </message>
    <message>
        <source>Game(quillmere.exe);;All Files (*.*)</source>
        <translation>게임 (quillmere.exe);;모든 파일 (*.*)</translation>
    </message>
    <message>
        <source>invalidPath</source>
        <translation>게임 리소스를 찾을 수 없습니다. 경로가 올바른지 확인하거나 최신 게임을 받아 주세요.</translation>
    </message>
    <message>
        <source>clearAllDownloadResource</source>
        <translation>모든 설치 리소스를 삭제하시겠습니까?</translation>
    </message>
    <message>
        <source>CannotgetVersionInfo</source>
        <translation>서버 오류로 버전 정보를 가져올 수 없습니다.</translation>
    </message>
    <message>
        <source>New Version found, update now?</source>
        <translation>새 버전(%1)이 있습니다. 지금 업데이트하시겠습니까?</translation>
    </message>
    <message>
        <source>Update</source>
        <translation>업데이트</translation>
    </message>
    <message>
        <source>Loading</source>
        <translation>연결 중...</translation>
    </message>
    <message>
        <source>DownloadingGameNow</source>
        <translation>이미 다운로드 중입니다</translation>
    </message>
    <message>
        <source>Current version:%1</source>
        <translation>현재 버전: %1</translation>
    </message>
    <message>
        <source>You have updated to the latest Version.</source>
        <translation>최신 버전입니다.</translation>
    </message>
</context>
<context>
    <name>TabsWithPopupText</name>
    <message>
        <source>Tabs_Latest</source>
        <translation>최신</translation>
    </message>
    <message>
        <source>Tabs_Notice</source>
        <translation>공지</translation>
    </message>
    <message>
        <source>Tabs_Event</source>
        <translation>이벤트</translation>
    </message>
    <message>
        <source>Tabs_News</source>
        <translation>뉴스</translation>
    </message>
</context>
<context>
    <name>Texts</name>
    <message>
        <source>%1/S</source>
        <translation>%1/초</translation>
    </message>
    <message>
        <source>%1d</source>
        <translation>%1일</translation>
    </message>
    <message>
        <source>%1h</source>
        <translation>%1시간</translation>
    </message>
    <message>
        <source>%1m</source>
        <translation>%1분</translation>
    </message>
    <message>
        <source>%1s</source>
        <translation>%1초</translation>
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
        <translation>런처 업데이트</translation>
    </message>
    <message>
        <source>LauncherUpdateMessage</source>
        <translation>업데이트 내용:</translation>
    </message>
    <message>
        <source>LauncherUpdateCancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>LauncherUpdateConfirm</source>
        <translation>업데이트</translation>
    </message>
</context>
<context>
    <name>UpdateWindow</name>
    <message>
        <source>Quillmere launcher update</source>
        <translation>Quillmere 런처 업데이트</translation>
    </message>
    <message>
        <source>Updating the launcher to %1</source>
        <translation>런처를 %1 버전으로 업데이트하는 중</translation>
    </message>
    <message>
        <source>Update progress</source>
        <translation>업데이트 진행률</translation>
    </message>
    <message>
        <source>Waiting for the launcher to close...</source>
        <translation>런처가 종료되기를 기다리는 중…</translation>
    </message>
    <message>
        <source>Downloading...</source>
        <translation>다운로드 중…</translation>
    </message>
    <message>
        <source>Unpacking...</source>
        <translation>압축 해제 중…</translation>
    </message>
    <message>
        <source>Replacing the launcher's files...</source>
        <translation>런처 파일을 교체하는 중…</translation>
    </message>
    <message>
        <source>Starting the new launcher...</source>
        <translation>새 런처를 시작하는 중…</translation>
    </message>
    <message>
        <source>The new launcher did not start; restoring the previous one...</source>
        <translation>새 런처가 시작되지 않아 이전 버전으로 되돌리는 중…</translation>
    </message>
    <message>
        <source>The launcher is up to date.</source>
        <translation>런처가 최신 버전입니다.</translation>
    </message>
    <message>
        <source>Version %1 did not start; the previous version was restored.</source>
        <translation>%1 버전이 시작되지 않아 이전 버전으로 되돌렸습니다.</translation>
    </message>
    <message>
        <source>The launcher could not be updated; nothing was changed.</source>
        <translation>런처를 업데이트하지 못했습니다. 변경된 내용은 없습니다.</translation>
    </message>
</context>
<context>
    <name>WarningDialogWithSingleButton</name>
    <message>
        <source>Warning</source>
        <translation>알림</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>WarningDialogwithDoublebutton</name>
    <message>
        <source>Cancel</source>
        <translation>취소</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>확인</translation>
    </message>
</context>
<context>
    <name>VerifyFlow</name>
    <message>
        <source>verifyNoRecord</source>
        <translation>이 설치에는 파일 기록이 없습니다. 검사하려면 게임을 다시 설치하세요.</translation>
    </message>
    <message>
        <source>verifyNoRecordReinstall</source>
        <translation>이 설치에는 파일 기록이 없어 검사할 수 없습니다. 지금 삭제하고 게임을 다시 다운로드하시겠습니까?</translation>
    </message>
    <message>
        <source>verifyRunning</source>
        <translation>게임 파일을 검사하는 중…</translation>
    </message>
    <message>
        <source>accessible_verifyPause</source>
        <translation>검사 일시 정지</translation>
    </message>
    <message>
        <source>accessible_verifyResume</source>
        <translation>검사 계속</translation>
    </message>
    <message>
        <source>accessible_verifyCancel</source>
        <translation>검사 취소</translation>
    </message>
    <message>
        <source>accessible_verifyProgress</source>
        <translation>검사 진행률</translation>
    </message>
    <message>
        <source>verifyProgress</source>
        <translation>파일 %2개 중 %1개 · %4 중 %3 · %5</translation>
    </message>
    <message>
        <source>verifyTimeLeft</source>
        <translation>(약 %1 남음)</translation>
    </message>
    <message>
        <source>verifyIntact</source>
        <translation>게임 파일 %1개가 모두 정상입니다.</translation>
    </message>
    <message>
        <source>verifyDamaged</source>
        <translation>게임 파일 %1개가 없거나 손상되었습니다. 지금 복구하시겠습니까?</translation>
    </message>
    <message>
        <source>verifyMissingFile</source>
        <translation>없음: %1</translation>
    </message>
    <message>
        <source>verifyDamagedFile</source>
        <translation>손상됨: %1</translation>
    </message>
    <message>
        <source>verifyMoreFiles</source>
        <translation>…외 %1개</translation>
    </message>
    <message>
        <source>verifyStartDamaged</source>
        <translation>지난번에 런처가 정상적으로 종료되지 않아 게임 파일 %1개가 없거나 손상되었습니다. 지금 복구하시겠습니까?</translation>
    </message>
    <message>
        <source>verifyRepairing</source>
        <translation>게임 파일을 복구하는 중…</translation>
    </message>
    <message>
        <source>verifyGameRunning</source>
        <translation>게임이 실행 중입니다. 게임을 종료한 후 게임 파일을 다시 검사하여 복구하세요.</translation>
    </message>
    <message>
        <source>verifyRepaired</source>
        <translation>게임 파일 %1개를 복구했습니다.</translation>
    </message>
    <message>
        <source>verifyRepairFailed</source>
        <translation>게임 파일 %1개를 복구하지 못했습니다. 연결을 확인한 후 다시 시도하세요.</translation>
    </message>
    <message>
        <source>verifyInstallUnderWay</source>
        <translation>게임 설치 또는 업데이트가 아직 끝나지 않았습니다. 완료된 후 게임 파일을 검사하세요.</translation>
    </message>
    <message>
        <source>verifyPaused</source>
        <translation>검사 일시 중지됨</translation>
    </message>
    <message>
        <source>verifyFilesBytes</source>
        <translation>파일 %1 / %2개 · %3 / %4</translation>
    </message>
</context>
</TS>
