import QtQuick 2.15
import com.kv.common 1.0
import com.kv.settings 1.0
import "qrc:/Dialog/qml"

// Version information: the launcher's and the game's versions with their
// manual checks, and the legal pages.
Item {
    id: root

    width: 636
    height: 348

    Column {
        x: 8
        y: 6
        width: parent.width - 40
        spacing: 8

        Item {
            width: parent.width
            height: 44

            Column {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 4

                Text {
                    text: qsTr("Launcher Version")
                    color: "#7a3a1c"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 18
                    font.bold: true
                }
                Text {
                    text: qsTr("Current version:%1").arg(settingsModel.launcherVersion)
                    color: "#454545"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 15
                }
            }
            KVSettingsButton {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                objectName: "checkLauncherVersion"
                text: qsTr("Check Version")
                onClicked: settingsModel.checkLauncherVersion()
            }
        }

        Item { width: 1; height: 16 }
        Item {
            width: parent.width
            height: 44

            Column {
                anchors.verticalCenter: parent.verticalCenter
                spacing: 4

                Text {
                    text: qsTr("Game Version")
                    color: "#7a3a1c"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 18
                    font.bold: true
                }
                Text {
                    text: qsTr("Current version:%1").arg(settingsModel.gameVersion)
                    color: "#454545"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 15
                }
            }
            KVSettingsButton {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Check Version")
                onClicked: settingsModel.checkGameVersion()
            }
        }

        Item { width: 1; height: 16 }
        Text {
            text: qsTr("About")
            color: "#7a3a1c"
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 18
            font.bold: true
        }
        Row {
            spacing: 32

            Text {
                text: qsTr("Terms of Service")
                color: termsArea.containsMouse ? "#F57438" : "#C66030"
                font.family: qmlCommonConfigs.fontFamily
                font.pixelSize: 16
                font.underline: true
                activeFocusOnTab: true
                Accessible.role: Accessible.Link
                Accessible.name: text
                Accessible.onPressAction: settingsModel.showTermsOfService()
                Keys.onSpacePressed: settingsModel.showTermsOfService()
                Keys.onReturnPressed: settingsModel.showTermsOfService()
                Keys.onEnterPressed: settingsModel.showTermsOfService()

                KVFocusRing {}

                MouseArea {
                    id: termsArea

                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: settingsModel.showTermsOfService()
                }
            }
            Text {
                text: qsTr("Privacy Policy")
                color: privacyArea.containsMouse ? "#F57438" : "#C66030"
                font.family: qmlCommonConfigs.fontFamily
                font.pixelSize: 16
                font.underline: true
                activeFocusOnTab: true
                Accessible.role: Accessible.Link
                Accessible.name: text
                Accessible.onPressAction: settingsModel.showPrivacyPolicy()
                Keys.onSpacePressed: settingsModel.showPrivacyPolicy()
                Keys.onReturnPressed: settingsModel.showPrivacyPolicy()
                Keys.onEnterPressed: settingsModel.showPrivacyPolicy()

                KVFocusRing {}

                MouseArea {
                    id: privacyArea

                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: settingsModel.showPrivacyPolicy()
                }
            }
        }
    }
}
