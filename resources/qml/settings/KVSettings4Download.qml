import QtQuick 2.15
import com.kv.common 1.0
import com.kv.settings 1.0
import "qrc:/Dialog/qml"

// Download settings: the speed limit (no limit, or 100 to 40960 KiB/s), the
// installation's location and the clearing of the game's resources.
Item {
    id: root

    function shownSpeed() {
        return settingsModel.speedLimit === 0 ? "" : String(settingsModel.speedLimit);
    }

    function chooseNoLimit() {
        speedInput.focus = false;
        settingsModel.speedNoLimit = true;
    }

    function chooseLimit() {
        settingsModel.speedNoLimit = false;
        if (settingsModel.speedLimit === 0)
            settingsModel.speedLimit = 4096;
    }

    width: 636
    height: 348

    Column {
        x: 8
        y: 6
        width: parent.width - 40
        spacing: 8

        Text {
            text: qsTr("Limit Download Speed")
            color: "#7a3a1c"
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 18
            font.bold: true
        }

        Row {
            spacing: 28
            height: 36

            Item {
                id: noLimitChoice

                width: noLimitLabel.x + noLimitLabel.width
                height: 36
                activeFocusOnTab: true
                Accessible.role: Accessible.RadioButton
                Accessible.name: noLimitLabel.text
                Accessible.checkable: true
                Accessible.checked: settingsModel.speedNoLimit
                Accessible.onPressAction: root.chooseNoLimit()
                Keys.onSpacePressed: root.chooseNoLimit()
                Keys.onReturnPressed: root.chooseNoLimit()
                Keys.onEnterPressed: root.chooseNoLimit()

                KVFocusRing {}

                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 18
                    height: 18
                    radius: 9
                    color: "#fffaf2"
                    border.color: "#C66030"
                    border.width: 2

                    Rectangle {
                        anchors.centerIn: parent
                        width: 8
                        height: 8
                        radius: 4
                        color: "#C66030"
                        visible: settingsModel.speedNoLimit
                    }
                }
                Text {
                    id: noLimitLabel

                    x: 26
                    anchors.verticalCenter: parent.verticalCenter
                    text: qsTr("No limit")
                    color: "#454545"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 16
                }
                MouseArea {
                    objectName: "noLimitChoice"
                    anchors.fill: parent
                    cursorShape: Qt.PointingHandCursor
                    onClicked: root.chooseNoLimit()
                }
            }

            Item {
                width: rangeLabel.x + rangeLabel.width
                height: 36

                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 18
                    height: 18
                    radius: 9
                    color: "#fffaf2"
                    border.color: "#C66030"
                    border.width: 2

                    Rectangle {
                        anchors.centerIn: parent
                        width: 8
                        height: 8
                        radius: 4
                        color: "#C66030"
                        visible: !settingsModel.speedNoLimit
                    }
                }
                MouseArea {
                    objectName: "limitChoice"
                    width: 26
                    height: parent.height
                    cursorShape: Qt.PointingHandCursor
                    onClicked: {
                        root.chooseLimit();
                        speedInput.forceActiveFocus();
                    }
                }
                // The limit's choice is its field: Tab and a screen reader reach it there.
                Rectangle {
                    x: 26
                    anchors.verticalCenter: parent.verticalCenter
                    width: 90
                    height: 32
                    radius: 4
                    color: "#fffaf2"
                    border.color: speedInput.activeFocus ? "#C66030" : "#c9a57a"

                    TextInput {
                        id: speedInput

                        objectName: "speedInput"
                        anchors.fill: parent
                        anchors.margins: 6
                        verticalAlignment: TextInput.AlignVCenter
                        horizontalAlignment: TextInput.AlignHCenter
                        maximumLength: 5
                        activeFocusOnTab: true
                        Accessible.role: Accessible.EditableText
                        Accessible.name: qsTr("Limit Download Speed") + " KB/S(100-40960)"
                        validator: RegularExpressionValidator { regularExpression: /[0-9]*/ }
                        selectByMouse: true
                        color: "#333333"
                        font.family: qmlCommonConfigs.fontFamily
                        font.pixelSize: 16
                        text: root.shownSpeed()
                        // The model holds the typed text as it is; the range
                        // applies once the entry is finished (Enter, the
                        // focus leaving, the settings closing).
                        onTextEdited: {
                            settingsModel.speedNoLimit = false;
                            settingsModel.setSpeedText(text);
                        }
                        onEditingFinished: {
                            settingsModel.finishSpeedText();
                            // The input shows the value the limit was held to.
                            text = Qt.binding(root.shownSpeed);
                        }
                        // Taking the focus selects the shown value, so that
                        // what is typed replaces it rather than landing
                        // between its digits (after the click has placed
                        // the cursor).
                        onActiveFocusChanged: {
                            if (activeFocus) {
                                root.chooseLimit();
                                Qt.callLater(speedInput.selectAll);
                            }
                        }
                        Keys.onReturnPressed: focus = false
                        Keys.onEnterPressed: focus = false
                    }
                }
                Text {
                    id: rangeLabel

                    x: 124
                    anchors.verticalCenter: parent.verticalCenter
                    text: "KB/S(100-40960)"
                    color: "#454545"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 16
                }
            }
        }

        Item { width: 1; height: 10 }
        Text {
            text: qsTr("Installation Location")
            color: "#7a3a1c"
            font.family: qmlCommonConfigs.fontFamily
            font.pixelSize: 18
            font.bold: true
        }
        Row {
            spacing: 12

            Rectangle {
                width: 428
                height: 44
                radius: 6
                color: "#fffaf2"
                border.color: locationArea.containsMouse ? "#C66030" : "#c9a57a"
                activeFocusOnTab: true
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Installation Location")
                Accessible.description: settingsModel.installationLocation
                Accessible.onPressAction: settingsModel.changeInstallationLocation()
                Keys.onSpacePressed: settingsModel.changeInstallationLocation()
                Keys.onReturnPressed: settingsModel.changeInstallationLocation()
                Keys.onEnterPressed: settingsModel.changeInstallationLocation()

                KVFocusRing {}

                Text {
                    anchors.fill: parent
                    anchors.leftMargin: 12
                    anchors.rightMargin: 12
                    verticalAlignment: Text.AlignVCenter
                    text: settingsModel.installationLocation
                    elide: Text.ElideMiddle
                    color: "#333333"
                    font.family: qmlCommonConfigs.fontFamily
                    font.pixelSize: 14
                }
                MouseArea {
                    id: locationArea

                    anchors.fill: parent
                    hoverEnabled: true
                    cursorShape: Qt.PointingHandCursor
                    onClicked: settingsModel.changeInstallationLocation()
                }
            }
            KVSettingsButton {
                text: qsTr("Change")
                onClicked: settingsModel.changeInstallationLocation()
            }
        }

        Item { width: 1; height: 10 }
        Item {
            width: parent.width
            height: 44

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Verify Game Files")
                color: "#7a3a1c"
                font.family: qmlCommonConfigs.fontFamily
                font.pixelSize: 18
                font.bold: true
            }
            KVSettingsButton {
                objectName: "verifyGameFilesButton"
                anchors.right: parent.right
                text: qsTr("Verify")
                enabled: settingsModel.canClearResource
                onClicked: settingsModel.verifyGameFiles()
            }
        }
        Item { width: 1; height: 10 }
        Item {
            width: parent.width
            height: 44

            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Clear Installation")
                color: "#7a3a1c"
                font.family: qmlCommonConfigs.fontFamily
                font.pixelSize: 18
                font.bold: true
            }
            KVSettingsButton {
                anchors.right: parent.right
                text: qsTr("Clear")
                enabled: settingsModel.canClearResource
                onClicked: settingsModel.clearInstallation()
            }
        }
    }
}
