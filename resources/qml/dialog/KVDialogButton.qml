import QtQuick 2.15

// The 234 x 72 picture button of the dialog pages: ember for the confirming
// button, parchment for the other; the label sinks by a pixel when pressed.
Item {
    id: root

    property alias text: label.text
    property bool primary: true
    readonly property string stem: primary ? ":/mainwindow/btn_dialogconfirm" : ":/mainwindow/btn_dialogcancel"
    readonly property string face: qmlArt.source(stem + (area.pressed ? "_press" : area.containsMouse ? "_hover" : "_normal"))

    signal clicked()

    width: 234
    height: 72
    opacity: enabled ? 1 : 0.6
    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: root.clicked()
    Keys.onSpacePressed: root.clicked()
    Keys.onReturnPressed: root.clicked()
    Keys.onEnterPressed: root.clicked()

    Rectangle {
        anchors.fill: parent
        visible: root.face === ""
        radius: 6
        border.color: root.primary ? "transparent" : "#b89a78"
        gradient: Gradient {
            GradientStop { position: 0; color: root.primary ? (area.containsMouse ? "#ff9150" : "#F57438") : "#fbf1e3" }
            GradientStop { position: 1; color: root.primary ? (area.pressed ? "#9e4620" : "#C66030") : "#e4d0b3" }
        }
    }

    BorderImage {
        anchors.fill: parent
        visible: root.face !== ""
        source: root.face
    }

    Text {
        id: label

        anchors.centerIn: parent
        anchors.verticalCenterOffset: area.pressed ? 1 : 0
        color: root.primary ? "#fff2e2" : "#070706"
        font.family: qmlCommonConfigs.fontFamily
        font.pixelSize: 20
    }

    MouseArea {
        id: area

        anchors.fill: parent
        hoverEnabled: true
        cursorShape: Qt.PointingHandCursor
        onClicked: root.clicked()
    }

    KVFocusRing {}
}
