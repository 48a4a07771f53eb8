#include "render/overlayResources.h"

#include "programs/shaderProgram.h"

void releaseTextOverlay(TextOverlay& overlay)
{
    for (ShaderProgram** program : {&overlay.text, &overlay.probe}) {
        if (*program) {
            (*program)->release();
            delete *program;
            *program = nullptr;
        }
    }
    glDeleteTextures(1, &overlay.atlasTexture);
    glDeleteTextures(1, &overlay.probeTexture);
    glDeleteFramebuffers(1, &overlay.probeFramebuffer);
    glDeleteBuffers(1, &overlay.vertexBuffer);
    glDeleteVertexArrays(1, &overlay.vertexArray);
    overlay.atlasTexture = overlay.probeTexture = overlay.probeFramebuffer = overlay.vertexBuffer = 0;
    overlay.vertexArray = 0;
    overlay.prepared = overlay.usable = false;
    overlay.shownLabels.clear();
}
