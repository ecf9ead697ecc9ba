import QtQuick 2.15
import QtQuick.Controls 2.15
import com.kv.common 1.0
import com.kv.dialog 1.0

// The close question: hide the launcher to the tray or quit it. The answer
// lives in the context property `closeAppModel` (a CloseAppModel); Escape or
// the close button leave without an answer.
Item {
    id: root

    readonly property string panel: qmlArt.source(":/mainwindow/dialog_bg")

    width: 567
    height: 307
    // The page holds the keyboard focus, so Escape arrives here, not at the host.
    focus: true
    Keys.onEscapePressed: closeAppModel.closeDialog()

    Rectangle {
        anchors.fill: parent
        visible: root.panel === ""
        radius: 12
        border.color: "#C66030"
        border.width: 2
        gradient: Gradient {
            GradientStop { position: 0; color: "#fff8ee" }
            GradientStop { position: 1; color: "#f1dfc4" }
        }
    }

    BorderImage {
        anchors.fill: parent
        visible: root.panel !== ""
        source: root.panel
        border { left: 20; top: 20; right: 20; bottom: 20 }
    }

    Text {
        id: question

        x: 78
        y: 50
        width: parent.width - x - 40
        text: qsTr("CloseDialogTips")
        color: "#393939"
        wrapMode: Text.Wrap
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 20
    }

    component Choice: RadioButton {
        id: choice

        width: root.width - 2 * x
        padding: 0
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 16

        indicator: Rectangle {
            x: 0
            y: (choice.height - height) / 2
            width: 16
            height: 16
            radius: 8
            color: "#fff8ee"
            border.color: choice.checked ? "#C66030" : "#8a6a48"
            border.width: 1.5

            Rectangle {
                anchors.centerIn: parent
                width: 8
                height: 8
                radius: 4
                color: "#C66030"
                visible: choice.checked
            }
        }

        contentItem: Text {
            leftPadding: 26
            text: choice.text
            color: "#393939"
            elide: Text.ElideRight
            verticalAlignment: Text.AlignVCenter
            font: choice.font
        }
    }

    // A question that wraps (Japanese, Korean) pushes the choices down.
    Choice {
        id: mini

        objectName: "miniRadio"
        x: 78
        y: Math.max(95, question.y + question.height + 12)
        text: qsTr("miniRadioTips")
        checked: closeAppModel.minimizeOnClose
        onToggled: closeAppModel.minimizeOnClose = checked
    }

    Choice {
        objectName: "closeRadio"
        x: 78
        y: mini.y + 40
        text: qsTr("closeRadioTips")
        checked: closeAppModel.closeOnClose
        onToggled: closeAppModel.closeOnClose = checked
    }

    KVDialogButton {
        objectName: "confirmButton"
        anchors.horizontalCenter: parent.horizontalCenter
        y: 225
        text: qsTr("Confirm")
        onClicked: closeAppModel.confirm()
    }

    Image {
        id: closeButton

        readonly property string face: qmlArt.source(":/mainwindow/btn_dialogclose_"
                                                     + (closeArea.pressed ? "press" : closeArea.containsMouse ? "hover" : "normal"))

        objectName: "closeButton"
        x: parent.width - width - 14
        y: 14
        width: 36
        height: 36
        source: face

        Text {
            anchors.centerIn: parent
            visible: closeButton.face === ""
            text: "\u00d7"
            color: "#5a4a3c"
            font.pixelSize: 24
        }

        MouseArea {
            id: closeArea

            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: closeAppModel.closeDialog()
        }
    }
}
