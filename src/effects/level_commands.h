#pragma once

// Amplify, Normalize, Fade In and Fade Out as the view runs them, on the selection alone: the
// handlers of their rows in the effects' command table (effect_commands.cpp).

namespace quorbel {

class CQuorbelView;

void OnEffectsAmplify(CQuorbelView& view);
void OnEffectsNormalize(CQuorbelView& view);
void OnEffectsFadeIn(CQuorbelView& view);
void OnEffectsFadeOut(CQuorbelView& view);

// Shows why the sample effects cannot work on the view's sound format, if so.
bool RefuseEffectFormat(CQuorbelView& view);

}  // namespace quorbel
