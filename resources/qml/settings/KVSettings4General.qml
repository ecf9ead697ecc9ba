import QtQuick 2.15
import QtQuick.Controls 2.15
import com.kv.common 1.0
import com.kv.settings 1.0
import "qrc:/Dialog/qml"

// General settings: auto-start, the close button's behaviour, notification
// alerts and the language (which restarts the launcher).
Item {
    id: root

    readonly property var languageCodes: ["zh_CN", "en_US", "ja_JP", "ko_KR", "zh_TC"]
    readonly property var languageNames: ["简体中文", "English", "日本語", "한국어", "繁體中文"]

    width: 636
    height: 348

    Column {
        x: 8
        y: 6
        width: parent.width - 40
        spacing: 6

        Text {
            text: qsTr("Launch Settings")
            color: "#7a3a1c"
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 18
            font.bold: true
        }
        KVSettingsSwitch {
            id: autoLaunch

            width: parent.width
            text: qsTr("Auto-launch at startup")
            onToggled: {
                settingsModel.autoLaunch = checked;
                settingsModel.onAutoLaunchSwitch();
            }
            Binding on checked { value: settingsModel.autoLaunch }
        }

        Item { width: 1; height: 8 }
        Text {
            text: qsTr("Close Settings")
            color: "#7a3a1c"
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 18
            font.bold: true
        }
        KVSettingsSwitch {
            width: parent.width
            text: qsTr("Close to minimize launcher")
            onToggled: settingsModel.setCloseToMinimize(checked)
            Binding on checked { value: settingsModel.closeType === "2" }
        }

        Item { width: 1; height: 8 }
        Text {
            text: qsTr("Notification Setting")
            color: "#7a3a1c"
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 18
            font.bold: true
        }
        KVSettingsSwitch {
            width: parent.width
            text: qsTr("Enable Launcher Notification")
            onToggled: settingsModel.notificationEnable = checked
            Binding on checked { value: settingsModel.notificationEnable }
        }

        Item { width: 1; height: 8 }
        Item {
            width: parent.width
            height: 36

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Launcher Language")
                color: "#7a3a1c"
                font.family: qmlCommonConfigs.fontFamily
                font.pixelSize: 18
                font.bold: true
            }

            ComboBox {
                id: language

                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 180
                height: 36
                model: root.languageNames
                enabled: settingsModel.canChangeLanguage && !settingsModel.scrolling
                Accessible.name: qsTr("Launcher Language")
                font.family: qmlCommonConfigs.fontFamily
                font.pixelSize: 16
                // Only a choice made in the open list asks for the restart.
                onActivated: {
                    settingsModel.curLanguageIndex = index;
                    settingsModel.changeLanguage(root.languageCodes[index], index, root.languageNames[index]);
                }
                Binding on currentIndex { value: settingsModel.curLanguageIndex }

                background: Rectangle {
                    radius: 6
                    color: language.enabled ? "#fffaf2" : "#efe6d8"
                    border.color: language.pressed || language.popup.visible ? "#C66030" : "#c9a57a"
                }
                contentItem: Text {
                    leftPadding: 12
                    rightPadding: language.indicator.width + 8
                    text: language.displayText
                    font: language.font
                    color: language.enabled ? "#333333" : "#9a8a78"
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
                KVFocusRing {}

                delegate: ItemDelegate {
                    width: language.width
                    highlighted: language.highlightedIndex === index
                    contentItem: Text {
                        text: modelData
                        font: language.font
                        color: highlighted ? "#fff2e2" : "#333333"
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: Rectangle {
                        color: highlighted ? "#C66030" : "#fffaf2"
                    }
                }
            }
        }
    }
}
