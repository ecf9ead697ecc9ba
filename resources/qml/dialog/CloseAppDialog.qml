import QtQuick 2.15
import QtQuick.Controls 2.15
import com.kv.common 1.0
import com.kv.dialog 1.0

// The close question: hide the launcher to the tray or quit it. The answer
// lives in the context property `closeAppModel` (a CloseAppModel); Escape or
// the close button leave without an answer.
Item {
    id: root

    readonly property string dialogTitle: question.text

    width: 567
    height: 307
    Accessible.role: Accessible.Dialog
    Accessible.name: dialogTitle
    // The page holds the keyboard focus, so Escape arrives here, not at the host.
    focus: true
    Keys.onEscapePressed: closeAppModel.closeDialog()

    KVDialogFrame {}

    KVDialogTitle {
        id: question

        objectName: "question"
        text: qsTr("CloseDialogTips")
    }

    component Choice: RadioButton {
        id: choice

        width: root.width - 2 * x
        padding: 0
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 18

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

        KVFocusRing {}

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
        y: Math.max(80, question.y + question.height + 16)
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

    KVDialogButtonRow {
        KVDialogButton {
            objectName: "confirmButton"
            text: qsTr("Confirm")
            onClicked: closeAppModel.confirm()
        }
    }

    KVDialogClose {
        objectName: "closeButton"
        onClicked: closeAppModel.closeDialog()
    }
}
